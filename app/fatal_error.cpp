// Reports an unrecoverable failure and ends the process with the last system error code.
#include "app/fatal_error.h"

#include <windows.h>

namespace {

// Shown in place of the system text when the system has none for the code.
const char kNoSystemText[] = "(no system text for this code)\r\n";

}  // namespace

std::string FormatErrorReport(const char* what, long code, const char* systemText) {
  const std::string report = std::string(what) + " Failed with error " + std::to_string(code) +
                             ": " + (systemText != nullptr ? systemText : kNoSystemText);
  return report.substr(0, MaxErrorReportLength);
}

void ReportErrorAndExit(const char* what) {
  // Read first, so that nothing done here can change the code.
  ReportErrorAndExit(what, GetLastError());
}

void ReportErrorAndExit(const char* what, unsigned long code) {
  // The report allocates; should that fail, it comes back here through the runtime's hooks.
  static bool reporting = false;
  static DWORD errorCode = 0;
  if (reporting) ExitProcess(errorCode);
  reporting = true;
  errorCode = code;

  char* systemText = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, errorCode,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&systemText), 0,
                 nullptr);

  // The code is shown signed, so a code with the top bit set reads as negative.
  const std::string report =
      FormatErrorReport(what, static_cast<long>(static_cast<LONG>(errorCode)), systemText);
  MessageBoxA(nullptr, report.c_str(), "Error", MB_OK | MB_ICONERROR);

  LocalFree(systemText);
  ExitProcess(errorCode);
}
