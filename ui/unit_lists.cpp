// Puts name lists into combo boxes; the "convert to" list follows the selected source unit.
#include "ui/unit_lists.h"

#include <cstdio>

#include "app/fatal_error.h"
#include "engine/converter.h"
#include "res/resource_ids.h"

std::string AddFailureMessage(const std::string& name) {
  char message[80];
  // 50 characters of the name leave room for the fixed words and the full stop.
  std::snprintf(message, sizeof message, "Error occurred while adding %.50s.", name.c_str());
  return message;
}

std::string SelectFailureMessage(int count) {
  char message[84];
  std::snprintf(message, sizeof message, "%d items. Cannot select an option in convert to combo.",
                count);
  return message;
}

bool FillCombo(HWND combo, std::vector<std::string> names) {
  if (!IsWindow(combo)) return false;

  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    const LRESULT added =
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (added == CB_ERRSPACE) {
      MessageBoxA(nullptr, "No more space!", "Error", MB_OK | MB_ICONERROR);
      return false;
    }
    if (added == CB_ERR) {
      MessageBoxA(nullptr, AddFailureMessage(name).c_str(), "Error", MB_OK | MB_ICONERROR);
      return false;
    }
  }
  return true;
}

void FillConvertTo(HWND dialog, std::int32_t sourcePosition) {
  const HWND targetList = GetDlgItem(dialog, IDC_TO_UNIT);
  if (targetList == nullptr) ReportErrorAndExit("FillConvertTo failed: invalid window handle.");

  const std::int32_t fromId = CurrentConverter->FromUnitIdAt(sourcePosition);
  if (!FillCombo(targetList, CurrentConverter->ToUnitNames(fromId))) {
    ReportErrorAndExit("Cannot fill \"convert to\" combo.");
  }

  if (SendMessageA(targetList, CB_SETCURSEL, 0, 0) == CB_ERR) {
    // Only an empty list refuses the selection; the count tells whether that is the case.
    const int count = static_cast<int>(CurrentConverter->ToUnitNames(fromId).size());
    ReportErrorAndExit(SelectFailureMessage(count).c_str());
  }
}
