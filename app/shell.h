// The application's Win32 frame: the hidden main window that owns the menu, the accelerators
// and the About box, and the message loop that serves the converter dialog.
#ifndef MENSURATOR_APP_SHELL_H
#define MENSURATOR_APP_SHELL_H

#include <windows.h>

// Size of the title and class-name buffers, terminator included.
constexpr int ShellTextSize = 100;

extern HINSTANCE hAppInstance;           // the program's module, for its resources
extern char szAppTitle[ShellTextSize];   // the main window's title, from string ID_STR_TITLE
extern char szMainClass[ShellTextSize];  // the main window's class, from string ID_STR_CLASS

// Registers the main window class szMainClass of instance; a failure shows later, when the
// main window cannot be created.
void RegisterMainClass(HINSTANCE instance);

// Window procedure of the hidden main window. Ends the process through ReportErrorAndExit when
// the converter dialog cannot be created.
LRESULT CALLBACK MainWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog procedure of the About box: OK and Cancel end it. Returns TRUE for those and for
// WM_INITDIALOG, FALSE otherwise.
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the thread's message loop until WM_QUIT; returns the quit code. Ends the process through
// ReportErrorAndExit, with GetMessageA's error code, when GetMessageA fails.
int RunMessageLoop(HACCEL accelerators);

#endif
