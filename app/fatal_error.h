// The single exit for failures the program cannot recover from: tells the user what failed,
// with the system's last error code and its text, and ends the process with that code.
#ifndef MENSURATOR_APP_FATAL_ERROR_H
#define MENSURATOR_APP_FATAL_ERROR_H

#include <cstddef>
#include <string>

// Longest report shown, in characters; the platform's own formatter stops at this length too.
constexpr std::size_t MaxErrorReportLength = 1023;

// Builds "<what> Failed with error <code>: <systemText>", cut to MaxErrorReportLength
// characters. A null systemText stands for a code the system has no text for.
std::string FormatErrorReport(const char* what, long code, const char* systemText);

// Shows the report for `what` and the last error code in an ownerless "Error" box, then ends
// the process with that code. Never returns.
[[noreturn]] void ReportErrorAndExit(const char* what);

// The same with an explicit code, for failures that leave no last error of their own. A failure
// met while the report is being made (say, memory running out again) ends the process at once
// with the first code.
[[noreturn]] void ReportErrorAndExit(const char* what, unsigned long code);

#endif
