// Drives another program from outside, as a user's tools would: starts it, finds its windows,
// reads their texts across the process boundary and waits for it, never without a time limit.
#ifndef MENSURATOR_TESTS_PROCESS_DRIVER_H
#define MENSURATOR_TESTS_PROCESS_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// Long enough for a Wine process to start on a busy machine, also where qemu emulates Wine's
// 32-bit side; short enough to fail a hung test.
extern const DWORD kTimeoutMs;

// A file or folder the test needs: the path in the environment variable `variable` when it is
// set (and not null), else `relative` taken from the test program's own folder.
std::string TestFile(const char* variable, const std::string& relative);

// Asks `done` every 20 ms until it answers true or timeoutMs have passed; returns its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kTimeoutMs);

// One started program. Whatever happens in a test, the process does not outlive this object.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& commandLine);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  // The system error of a failed start.
  DWORD StartError() const { return startError_; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;

  // Waits for the end and gives the exit code; false when the process is still running after
  // timeoutMs.
  bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = kTimeoutMs) const;

  // Top-level windows of the process, visible or not, in z-order.
  std::vector<HWND> TopLevelWindows() const;

  // The first top-level window of the process with this class and caption, or null.
  HWND FindTopLevel(const std::string& className, const std::string& caption) const;

  // Waits for such a window; null when none came within timeoutMs.
  HWND WaitForTopLevel(const std::string& className, const std::string& caption,
                       DWORD timeoutMs = kTimeoutMs) const;

 private:
  PROCESS_INFORMATION info_{};
  DWORD startError_ = 0;
};

// Visible child windows of the given class (compared without regard to case), in z-order.
std::vector<HWND> VisibleChildren(HWND parent, const std::string& className);

// The window's class name.
std::string ClassName(HWND window);

// The caption as the window system keeps it; needs nothing from the owning thread.
std::string Caption(HWND window);

// The window's text as its own procedure answers WM_GETTEXT, asked in the wide form so that it
// crosses the process boundary intact. Empty when the window does not answer in time.
std::string Text(HWND window);

// Every item of a combo box, in list order (CB_GETLBTEXT, wide form).
std::vector<std::string> ComboItems(HWND combo);

// The combo box's selected position, CB_ERR when none, or when the combo does not answer.
LRESULT ComboSelection(HWND combo);

// The text of the selected combo item; empty when nothing is selected.
std::string ComboSelectedText(HWND combo);

// Text of a menu item by position, through the wide menu functions.
std::string MenuItemText(HMENU menu, UINT position);

// Posts a key press (down and up) to the window, as the keyboard would deliver it.
void PostKey(HWND window, WPARAM virtualKey);

}  // namespace driver

#endif
