// The hidden main window, the About box and the message loop.
#include "app/shell.h"

#include "app/fatal_error.h"
#include "res/resource_ids.h"
#include "ui/conv_dialog.h"

HINSTANCE hAppInstance = nullptr;
char szAppTitle[ShellTextSize];
char szMainClass[ShellTextSize];

void RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass;
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ID_ICON_LARGE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(ID_MENU_MAIN);
  windowClass.lpszClassName = szMainClass;
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(ID_ICON_SMALL));
  RegisterClassExA(&windowClass);
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (!IsWindow(hConvDlg)) {
        hConvDlg = CreateDialogParamA(hAppInstance, MAKEINTRESOURCEA(ID_DLG_CONVERTER), nullptr,
                                      ConvDlgProc, 0);
        // Without the dialog the process would run on with no visible window.
        if (hConvDlg == nullptr) ReportErrorAndExit("Cannot create the converter dialog.");
        ShowWindow(hConvDlg, SW_SHOW);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hWnd, &paint);
      EndPaint(hWnd, &paint);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ID_CMD_ABOUT:
          DialogBoxParamA(hAppInstance, MAKEINTRESOURCEA(ID_DLG_ABOUT), hWnd, AboutDlgProc, 0);
          return 0;
        case ID_CMD_EXIT:
          DestroyWindow(hWnd);
          return 0;
        default:
          return DefWindowProcA(hWnd, message, wParam, lParam);
      }
    default:
      return DefWindowProcA(hWnd, message, wParam, lParam);
  }
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

int RunMessageLoop(HACCEL accelerators) {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    // An error leaves msg undefined, so there is no quit code to return; a failing loop cannot
    // serve the dialog either, and the user learns why the program ends.
    if (got == -1) ReportErrorAndExit("GetMessageA");
    // Read afresh each time: the dialog's Close clears it while messages are still queued.
    if (IsWindow(hConvDlg) && IsDialogMessageA(hConvDlg, &msg)) continue;
    if (TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
