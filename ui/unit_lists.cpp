// Puts name lists into combo boxes; the "convert to" list follows the selected source unit.
#include "ui/unit_lists.h"

#include <algorithm>

#include "app/fatal_error.h"
#include "engine/converter.h"
#include "res/resource_ids.h"

// The messages are built without printf, whose MinGW implementation would be the largest part
// of the program that only they use.
std::string AddFailureMessage(const std::string& name) {
  // 50 characters of the name, up to its end, leave room in 80 for the fixed words and the stop.
  const std::size_t shown = std::min(name.find('\0'), std::size_t{50});
  return "Error occurred while adding " + name.substr(0, shown) + ".";
}

std::string SelectFailureMessage(int count) {
  return std::to_string(count) + " items. Cannot select an option in convert to combo.";
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
