// What a screen reader hears for each input control of the converter dialog, and how it asks:
// shared by the tests that ask in the program's own process and from another.
#ifndef MENSURATOR_TESTS_CONTROL_NAMES_H
#define MENSURATOR_TESTS_CONTROL_NAMES_H

#include <windows.h>

#include <initguid.h>  // IID_IAccessible from the header, as the dialog defines its own ids
#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "program_ids.h"

namespace control_names {

using Names = std::vector<std::pair<int, std::string>>;

// The words beside each control, from the program's string table.
inline const Names kExpected = {
    {program_ids::kValueId, "Convert from: Value"},
    {program_ids::kCategoryId, "Category"},
    {program_ids::kFromUnitId, "Convert from: Unit"},
    {program_ids::kDecimalsId, "Round up to decimal places"},
    {program_ids::kSpinId, "Round up to decimal places"},
    {program_ids::kToUnitId, "Convert to: Unit"},
    {program_ids::kResultId, "Convert to: Value"},
    {program_ids::kResultSciId, "Convert to: Sci. Notation"},
};

// Asks the control's client object through oleacc, as a screen reader does, and puts its name
// in `name` (empty for a control without one); returns what AccessibleObjectFromWindow did.
inline HRESULT ReadName(HWND control, std::string* name) {
  IAccessible* accessible = nullptr;
  const HRESULT found = AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&accessible));
  name->clear();
  if (FAILED(found)) return found;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  accessible->get_accName(self, &text);  // S_FALSE and no text for a control without a name
  name->assign(text, text + SysStringLen(text));
  SysFreeString(text);
  accessible->Release();
  return found;
}

}  // namespace control_names

#endif
