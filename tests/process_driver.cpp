// Starting a program and reading its windows from another process, with bounded waits only.
#include "process_driver.h"

#include <cstddef>
#include <cstdlib>

namespace driver {

// Room for a Wine start on a loaded machine whose 32-bit programs are emulated; a wait that
// succeeds ends as soon as its condition holds.
const DWORD kTimeoutMs = 30000;

std::string TestFile(const char* variable, const std::string& relative) {
  if (const char* path = variable != nullptr ? std::getenv(variable) : nullptr) return path;
  char program[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string path(program, length);
  path.erase(path.find_last_of("\\/") + 1);
  for (char c : relative) path += c == '/' ? '\\' : c;
  return path;
}

namespace {

// A window of a hung program must not hang the test. The bound alone, not SMTO_ABORTIFHUNG: a
// program busy starting for a few seconds counts as hung, and its first answer would be lost.
const UINT kSendTimeoutMs = 5000;

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], size,
                      nullptr, nullptr);
  return narrow;
}

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                             result) != 0;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<WindowSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == wanted->processId) wanted->found.push_back(window);
  return TRUE;
}

struct ChildSearch {
  std::string className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleChild(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<ChildSearch*>(search);
  if (IsWindowVisible(window) &&
      lstrcmpiA(ClassName(window).c_str(), wanted->className.c_str()) == 0) {
    wanted->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    Sleep(20);
  }
}

ChildProcess::ChildProcess(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info_)) {
    startError_ = GetLastError();
    info_ = PROCESS_INFORMATION{};
  }
}

ChildProcess::~ChildProcess() {
  if (!Started()) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, kTimeoutMs);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::Running() const {
  return Started() && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD* exitCode, DWORD timeoutMs) const {
  if (!Started() || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(info_.hProcess, exitCode) != 0;
}

std::vector<HWND> ChildProcess::TopLevelWindows() const {
  WindowSearch search{Id(), {}};
  if (Started()) EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildProcess::FindTopLevel(const std::string& className, const std::string& caption) const {
  for (HWND window : TopLevelWindows()) {
    if (ClassName(window) == className && Caption(window) == caption) return window;
  }
  return nullptr;
}

HWND ChildProcess::WaitForTopLevel(const std::string& className, const std::string& caption,
                                   DWORD timeoutMs) const {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindTopLevel(className, caption);
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

std::vector<HWND> VisibleChildren(HWND parent, const std::string& className) {
  ChildSearch search{className, {}};
  EnumChildWindows(parent, CollectVisibleChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ClassName(HWND window) {
  wchar_t name[256] = L"";
  const int length = GetClassNameW(window, name, 256);
  return Narrow(std::wstring(name, length > 0 ? length : 0));
}

std::string Caption(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
  return Narrow(text);
}

std::string Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length)) return std::string();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied)) {
    return std::string();
  }
  text.resize(copied);
  return Narrow(text);
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  DWORD_PTR count = 0;
  if (!SendBounded(combo, CB_GETCOUNT, 0, 0, &count)) return items;
  for (DWORD_PTR i = 0; i < count && static_cast<LRESULT>(count) != CB_ERR; ++i) {
    DWORD_PTR length = 0;
    if (!SendBounded(combo, CB_GETLBTEXTLEN, i, 0, &length) ||
        static_cast<LRESULT>(length) == CB_ERR) {
      break;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendBounded(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]), &copied) ||
        static_cast<LRESULT>(copied) == CB_ERR) {
      break;
    }
    text.resize(copied);
    items.push_back(Narrow(text));
  }
  return items;
}

LRESULT ComboSelection(HWND combo) {
  DWORD_PTR selection = 0;
  if (!SendBounded(combo, CB_GETCURSEL, 0, 0, &selection)) return CB_ERR;
  return static_cast<LRESULT>(selection);
}

std::string ComboSelectedText(HWND combo) {
  const LRESULT selection = ComboSelection(combo);
  if (selection == CB_ERR) return std::string();
  const std::vector<std::string> items = ComboItems(combo);
  return static_cast<std::size_t>(selection) < items.size() ? items[selection] : std::string();
}

std::string MenuItemText(HMENU menu, UINT position) {
  wchar_t text[256] = L"";
  const int length = GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return Narrow(std::wstring(text, length > 0 ? length : 0));
}

void PostKey(HWND window, WPARAM virtualKey) {
  const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
  // Previous state down and transition up (bits 30 and 31), as the keyboard reports a release.
  const LPARAM up = static_cast<LPARAM>(static_cast<DWORD>(down) | 0xC0000000u);
  PostMessageW(window, WM_KEYDOWN, virtualKey, down);
  PostMessageW(window, WM_KEYUP, virtualKey, up);
}

}  // namespace driver
