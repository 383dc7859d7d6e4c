// Starting, watching and ending a measured program, with bounded waits only.
#include "bench/win32/launch.h"

#include <psapi.h>

#include <vector>

namespace measure {

namespace {

constexpr UINT kMessageLimitMs = 5000;
constexpr DWORD kExitLimitMs = 10000;
constexpr DWORD kSettleLimitMs = 5000;
// After the input queue ran dry once; painting and deferred work come in bursts.
constexpr DWORD kSettlePauseMs = 200;

struct DialogSearch {
  DWORD processId;
  const std::wstring* caption;
  HWND found;
};

// The caption comes from GetWindowTextW, which for another process's window asks the window
// system rather than the window, so it works before that process pumps messages.
BOOL CALLBACK MatchDialog(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<DialogSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != wanted->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t text[64] = L"";
  if (GetClassNameW(window, text, 64) == 0 || lstrcmpW(text, L"#32770") != 0) return TRUE;
  GetWindowTextW(window, text, 64);
  if (*wanted->caption != text) return TRUE;
  wanted->found = window;
  return FALSE;
}

}  // namespace

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / frequency;
}

Launched::Launched(const std::wstring& path) {
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startTime_ = Now();
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_)) {
    startError_ = GetLastError();
    info_ = PROCESS_INFORMATION{};
  }
}

Launched::~Launched() {
  if (!Started()) return;
  DWORD ignored = 0;
  if (Running()) Terminate(&ignored);
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Launched::Running() const {
  return Started() && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Launched::WaitForVisibleDialog(const std::wstring& caption) const {
  DialogSearch search{info_.dwProcessId, &caption, nullptr};
  while (Running() && Now() - startTime_ < kTimeLimitSeconds) {
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(1);
  }
  return nullptr;
}

bool Launched::ReadMemory(Memory* memory) const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(info_.hProcess, &counters, sizeof counters)) return false;
  memory->workingSetKiB = counters.WorkingSetSize / 1024.0;
  memory->pagefileKiB = counters.PagefileUsage / 1024.0;
  return true;
}

void Launched::Settle() const {
  WaitForInputIdle(info_.hProcess, kSettleLimitMs);
  Sleep(kSettlePauseMs);
}

bool Launched::Terminate(DWORD* exitCode) {
  TerminateProcess(info_.hProcess, 0);
  return WaitForExit(exitCode);
}

bool Launched::WaitForExit(DWORD* exitCode) const {
  if (WaitForSingleObject(info_.hProcess, kExitLimitMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(info_.hProcess, exitCode) != 0;
}

bool ReadText(HWND control, std::wstring* text) {
  wchar_t buffer[128];
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kMessageLimitMs, &copied)) {
    return false;
  }
  text->assign(buffer, copied);
  return true;
}

bool WaitForText(HWND control, const std::wstring& expected, std::wstring* seen) {
  const double start = Now();
  while (Now() - start < kTimeLimitSeconds) {
    if (!ReadText(control, seen)) return false;
    if (*seen == expected) return true;
  }
  return false;
}

bool SetText(HWND control, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kMessageLimitMs, &ignored) != 0;
}

void PostButtonClick(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::wstring Widen(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::vector<wchar_t> wide(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  return wide.data();
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> narrow(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
  return narrow.data();
}

}  // namespace measure
