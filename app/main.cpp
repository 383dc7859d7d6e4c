// Entry point of Mensurator: makes Length current, creates the hidden main window (which
// creates the converter dialog) and runs the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/shell.h"
#include "engine/converter.h"
#include "res/resource_ids.h"
#include "tables/unit_tables.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The dialog, created inside CreateWindowExA below, fills its lists from this.
  CurrentConverter = &LengthConverter;

  LoadStringA(instance, ID_STR_TITLE, szAppTitle, ShellTextSize);
  LoadStringA(instance, ID_STR_CLASS, szMainClass, ShellTextSize);
  RegisterMainClass(instance);
  hAppInstance = instance;

  // Never shown: it only hosts the menu, the accelerators and the About box.
  const HWND mainWindow =
      CreateWindowExA(0, szMainClass, szAppTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                      CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (mainWindow == nullptr) return 0;

  INITCOMMONCONTROLSEX commonControls;
  commonControls.dwSize = sizeof commonControls;
  commonControls.dwICC = ICC_UPDOWN_CLASS;
  if (!InitCommonControlsEx(&commonControls)) return 0;

  const HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(ID_ACCEL_MAIN));
  return RunMessageLoop(accelerators);
}
