// A program started for measurement and watched from outside, as a user's tools would see it:
// when its dialog shows, what its fields say, the memory it holds, and its end. Every wait has
// a limit, so a program that hangs fails the measurement instead of stalling it.
#ifndef MENSURATOR_BENCH_WIN32_LAUNCH_H
#define MENSURATOR_BENCH_WIN32_LAUNCH_H

#include <windows.h>

#include <string>

namespace measure {

// Long enough for a Wine start on a machine busy with other builds.
constexpr double kTimeLimitSeconds = 20.0;

// Seconds on the performance counter.
double Now();

struct Memory {
  double workingSetKiB = 0;
  // Commit charge; Wine reports no separate private-bytes figure and fills only this one.
  double pagefileKiB = 0;
};

class Launched {
 public:
  // Starts the program; StartTime() is read just before CreateProcess.
  explicit Launched(const std::wstring& path);
  // Terminates the process if it still runs.
  ~Launched();
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD StartError() const { return startError_; }
  double StartTime() const { return startTime_; }
  bool Running() const;

  // Looks every millisecond for a visible top-level dialog ("#32770") of this process with the
  // caption; null when none came within the limit or the process ended first.
  HWND WaitForVisibleDialog(const std::wstring& caption) const;

  // Working set and commit charge as the system reports them now.
  bool ReadMemory(Memory* memory) const;

  // Waits until the process has no input left to handle, then a little longer, so that what
  // start-up leaves behind (painting, deferred set-up) is done before memory is read.
  void Settle() const;

  // Ends the process from outside and gives its exit code; false when it did not end in time.
  bool Terminate(DWORD* exitCode);
  bool WaitForExit(DWORD* exitCode) const;

 private:
  PROCESS_INFORMATION info_{};
  DWORD startError_ = 0;
  double startTime_ = 0;
};

// The control's text, read with WM_GETTEXT across the process boundary; false when the owner
// did not answer within the limit.
bool ReadText(HWND control, std::wstring* text);

// Reads the control's text until it equals `expected`, without pausing in between; the last
// text read is left in `seen`. False after the limit.
bool WaitForText(HWND control, const std::wstring& expected, std::wstring* seen);

// Sets the control's text with WM_SETTEXT and returns once its owner has handled it.
bool SetText(HWND control, const std::wstring& text);

// Posts the dialog a click of its push button, as the button itself reports one.
void PostButtonClick(HWND dialog, int buttonId);

// Arguments of a console program come narrow; the paths here are plain ASCII.
std::wstring Widen(const char* text);
std::string Narrow(const std::wstring& text);

}  // namespace measure

#endif
