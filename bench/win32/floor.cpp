// The start-up floor that Mensurator is measured against: the same dialog template, manifest and
// common-controls set-up, shown modeless with a plain message loop and a procedure that does
// nothing, so any time beyond this program's is the converter's own.
#include <windows.h>

#include <commctrl.h>

#include "res/resource_ids.h"

namespace {

INT_PTR CALLBACK IdleDlgProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX commonControls;
  commonControls.dwSize = sizeof commonControls;
  commonControls.dwICC = ICC_UPDOWN_CLASS;
  if (!InitCommonControlsEx(&commonControls)) return 1;

  const HWND dialog =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(ID_DLG_CONVERTER), nullptr, IdleDlgProc, 0);
  if (dialog == nullptr) return 1;
  ShowWindow(dialog, SW_SHOW);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
