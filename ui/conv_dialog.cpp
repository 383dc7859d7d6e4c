// The converter dialog's message handling: set-up, category and unit selection, recalculation
// of the two result forms, and Close, which ends the application.
#include "ui/conv_dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/fatal_error.h"
#include "engine/conversion.h"
#include "engine/converter.h"
#include "res/resource_ids.h"
#include "tables/unit_tables.h"
#include "ui/accessible_names.h"
#include "ui/result_format.h"
#include "ui/unit_lists.h"

HWND hConvDlg = nullptr;

namespace {

constexpr int kInitialDecimals = 2;
constexpr int kValueTextLimit = 25;
constexpr int kValueBufferSize = 80;

// Converters in the order of the category list.
Converter* const kCategoryConverters[] = {&LengthConverter, &AreaConverter, &MassConverter,
                                          &VolumeConverter, &TemperatureConverter};
constexpr LRESULT kCategoryCount = sizeof kCategoryConverters / sizeof kCategoryConverters[0];

// The up-down control's buddy can hold any text the user types; this is the last position
// within 0..15 that the control answered, used whenever the current answer is not.
int lastValidDecimals = kInitialDecimals;

HWND RequireItem(HWND hDlg, int id) {
  const HWND item = GetDlgItem(hDlg, id);
  if (item == nullptr) ReportErrorAndExit("ConvDlgProc");
  return item;
}

void ShowError(HWND hDlg, const char* text) {
  MessageBoxA(hDlg, text, "Error", MB_OK | MB_ICONERROR);
}

// The conversion itself runs later, when the posted command comes through the message loop.
void RequestRecalculation(HWND hDlg) {
  PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_RECALC, 0),
               reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_RECALC)));
}

// When the buddy text is unreadable the control answers with its own
// position, which arrow steps keep up to date; only an answer outside 0..15
// falls back to the last one that was usable.
int CurrentDecimals(HWND hDlg) {
  const int position =
      static_cast<int>(SendMessageA(RequireItem(hDlg, IDC_DECIMALS_SPIN), UDM_GETPOS32, 0, 0));
  if (position >= kMinResultDecimals && position <= kMaxResultDecimals)
    lastValidDecimals = position;
  return lastValidDecimals;
}

BOOL Recalculate(HWND hDlg) {
  char valueText[kValueBufferSize] = "";
  SendDlgItemMessageA(hDlg, IDC_VALUE, WM_GETTEXT, sizeof valueText,
                      reinterpret_cast<LPARAM>(valueText));

  const LRESULT sourcePosition = SendDlgItemMessageA(hDlg, IDC_FROM_UNIT, CB_GETCURSEL, 0, 0);
  const LRESULT targetPosition = SendDlgItemMessageA(hDlg, IDC_TO_UNIT, CB_GETCURSEL, 0, 0);
  if (sourcePosition == CB_ERR || targetPosition == CB_ERR) return FALSE;

  const std::int32_t fromId =
      CurrentConverter->FromUnitIdAt(static_cast<std::int32_t>(sourcePosition));
  const std::int32_t toId =
      CurrentConverter->ToUnitIdAt(fromId, static_cast<std::int32_t>(targetPosition));
  const ConversionResult result = Convert(fromId, toId, valueText);

  // A value that does not convert shows as two empty fields; its message is not shown.
  if (result.failed) {
    SetWindowTextA(RequireItem(hDlg, IDC_RESULT), "");
    SetWindowTextA(RequireItem(hDlg, IDC_RESULT_SCI), "");
    return TRUE;
  }

  const int decimals = CurrentDecimals(hDlg);
  SetWindowTextA(RequireItem(hDlg, IDC_RESULT), FormatFixed(result.value, decimals).c_str());
  SetWindowTextA(RequireItem(hDlg, IDC_RESULT_SCI),
                 FormatScientific(result.value, decimals).c_str());
  return TRUE;
}

void SelectFirstSourceUnit(HWND hDlg) {
  if (SendDlgItemMessageA(hDlg, IDC_FROM_UNIT, CB_SETCURSEL, 0, 0) == CB_ERR) {
    ReportErrorAndExit("Cannot select \"convert from\" unit.");
  }
}

BOOL InitDialog(HWND hDlg, HWND proposedFocus, std::vector<std::string>& categoryNames) {
  CenterWindow(hDlg);

  if (categoryNames.empty()) {
    categoryNames = {"Length", "Area", "Mass", "Volume", "Temperature"};
  }
  FillCombo(RequireItem(hDlg, IDC_CATEGORY), categoryNames);
  FillCombo(RequireItem(hDlg, IDC_FROM_UNIT), CurrentConverter->FromUnitNames());

  const HWND spin = RequireItem(hDlg, IDC_DECIMALS_SPIN);
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(hDlg, IDC_DECIMALS)), 0);
  SendMessageA(spin, UDM_SETRANGE32, kMinResultDecimals, kMaxResultDecimals);
  SendMessageA(spin, UDM_SETPOS32, 0, kInitialDecimals);
  lastValidDecimals = kInitialDecimals;

  const HWND value = RequireItem(hDlg, IDC_VALUE);
  SendMessageA(value, EM_LIMITTEXT, kValueTextLimit, 0);
  SetWindowTextA(value, "0.0");

  if (SendDlgItemMessageA(hDlg, IDC_CATEGORY, CB_SETCURSEL, 0, 0) == CB_ERR) {
    ReportErrorAndExit("Cannot select a category.");
  }
  SelectFirstSourceUnit(hDlg);
  FillConvertTo(hDlg, 0);

  // The whole text selected, so the first keystroke replaces it.
  SendMessageA(value, EM_SETSEL, 0, -1);
  RequestRecalculation(hDlg);
  // Before the focus moves, so that a screen reader's first question already names the controls.
  NameControlsWhenAsked(hDlg);

  if (GetDlgCtrlID(proposedFocus) == IDC_VALUE) return TRUE;
  SetFocus(value);
  return FALSE;
}

void SelectCategory(HWND hDlg, HWND categoryList) {
  const LRESULT position = SendMessageA(categoryList, CB_GETCURSEL, 0, 0);
  if (position == CB_ERR) {
    ShowError(hDlg, "Error occurred in category combo.");
    return;
  }
  if (position < 0 || position >= kCategoryCount) {
    ShowError(hDlg, "What is going on in category is completely unknown.");
    return;
  }
  CurrentConverter = kCategoryConverters[position];

  FillCombo(RequireItem(hDlg, IDC_FROM_UNIT), CurrentConverter->FromUnitNames());
  SelectFirstSourceUnit(hDlg);
  FillConvertTo(hDlg, 0);
  RequestRecalculation(hDlg);
}

void SelectSourceUnit(HWND hDlg, HWND sourceList) {
  const LRESULT position = SendMessageA(sourceList, CB_GETCURSEL, 0, 0);
  if (position == CB_ERR) {
    ShowError(hDlg, "Current selection of convert from is unknown.");
    return;
  }
  FillConvertTo(hDlg, static_cast<std::int32_t>(position));
  RequestRecalculation(hDlg);
}

void Close(HWND hDlg) {
  // Cleared first, so the message loop stops routing to a window that is going away.
  hConvDlg = nullptr;
  DestroyWindow(hDlg);
  PostQuitMessage(0);
}

INT_PTR OnCommand(HWND hDlg, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  const HWND sender = reinterpret_cast<HWND>(lParam);

  switch (id) {
    case IDC_CATEGORY:
      if (code == CBN_SELCHANGE) SelectCategory(hDlg, sender);
      return TRUE;
    case IDC_FROM_UNIT:
      if (code == CBN_SELCHANGE) SelectSourceUnit(hDlg, sender);
      return TRUE;
    case IDC_TO_UNIT:
      if (code == CBN_SELCHANGE) RequestRecalculation(hDlg);
      return TRUE;
    case IDC_VALUE:
      if (code == EN_UPDATE) RequestRecalculation(hDlg);
      return TRUE;
    case IDC_CLOSE:
      Close(hDlg);
      return TRUE;
    case IDC_RECALC:
      return Recalculate(hDlg);
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK ConvDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  static std::vector<std::string> CategoryNames;

  switch (message) {
    case WM_INITDIALOG:
      return InitDialog(hDlg, reinterpret_cast<HWND>(wParam), CategoryNames);
    case WM_COMMAND:
      return OnCommand(hDlg, wParam, lParam);
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->idFrom == IDC_DECIMALS_SPIN) {
        RequestRecalculation(hDlg);
      }
      return FALSE;
    case WM_DESTROY:
      ClearControlNames(hDlg);
      return FALSE;
    default:
      return FALSE;
  }
}

void CenterWindow(HWND hWnd) {
  if (hWnd == nullptr) return;

  const int areaWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  const int areaHeight = GetSystemMetrics(SM_CYFULLSCREEN);
  RECT bounds;
  GetWindowRect(hWnd, &bounds);
  const int x = (areaWidth - (bounds.right - bounds.left)) / 2;
  const int y = (areaHeight - (bounds.bottom - bounds.top)) / 2;
  SetWindowPos(hWnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}
