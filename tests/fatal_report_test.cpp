// The fatal report as the user meets it: each of its texts shown once by a probe process that
// runs the real dialog or entry point code into a failure, read from the box, and the process's
// exit code compared with the code the box shows. The dialog's own error boxes too, after which
// the probe goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "process_driver.h"

namespace {

using driver::ChildProcess;

constexpr int kMessageBoxTextId = 0xFFFF;

// What the reporter shows when the system has no text for a code.
const char kNoSystemText[] = "(no system text for this code)\r\n";

struct FatalCase {
  const char* name;
  const char* program;
  const char* arguments;
  // A box shown first: FillCombo's, which has no owner, before the fatal report, or the dialog's
  // own, after which the probe goes on; null when there is none.
  const char* firstBox;
  // Null for a process that ends with codes' one code and shows no box.
  const char* report;
  // The codes the report may show; empty when any code will do.
  std::vector<long> codes;
};

void PrintTo(const FatalCase& c, std::ostream* out) { *out << c.name; }

// A customer code (bit 29) with the top bit set: no system text, shown as a negative number.
constexpr DWORD kCustomerCode = 0xE0000001;

// Any code will do, as long as the box and the exit code agree on it: for a call whose failure
// Windows documents no code for, whatever the system leaves (GetDlgItem sets 1421 on Windows and
// nothing under Wine; CB_SETCURSEL on an empty list keeps the code before it under Wine 8, and
// leaves 1400 under Wine 10).
const std::vector<long> kAnyCode;

std::vector<long> Only(long code) { return {code}; }

const FatalCase kCases[] = {
    {"MissingControl", "fatal_probe.exe", "no-category", nullptr, "ConvDlgProc", kAnyCode},
    {"CategoryNotSelectable", "fatal_probe.exe", "category-refuses-selection 1413", nullptr,
     "Cannot select a category.", Only(ERROR_INVALID_INDEX)},
    {"SourceNotSelectable", "fatal_probe.exe", "source-refuses-selection 0xE0000001", nullptr,
     "Cannot select \"convert from\" unit.", Only(static_cast<LONG>(kCustomerCode))},
    {"MissingTargetList", "fatal_probe.exe", "no-target", nullptr,
     "FillConvertTo failed: invalid window handle.", kAnyCode},
    // The dialog's own boxes, for states no user can bring its lists to: the dialog goes on.
    {"CategoryWithoutSelection", "fatal_probe.exe", "category-without-selection",
     "Error occurred in category combo.", nullptr, Only(99)},
    {"CategoryPastTheLast", "fatal_probe.exe", "category-past-the-last",
     "What is going on in category is completely unknown.", nullptr, Only(99)},
    {"SourceWithoutSelection", "fatal_probe.exe", "source-without-selection",
     "Current selection of convert from is unknown.", nullptr, Only(99)},
    // The first box runs system code of its own, so the code the report finds is the system's.
    {"TargetListRefusesNames", "fatal_probe.exe", "target-refuses-names",
     "Error occurred while adding Centimeter.", "Cannot fill \"convert to\" combo.", kAnyCode},
    {"SourceWithoutTargets", "fatal_probe.exe", "source-position-without-unit", nullptr,
     "0 items. Cannot select an option in convert to combo.", kAnyCode},
    // The C++ runtime's failures, through the program's hooks, with codes of their own.
    {"OutOfMemory", "fatal_probe.exe", "out-of-memory", nullptr, "Out of memory.",
     Only(ERROR_NOT_ENOUGH_MEMORY)},
    {"LibraryCheckFails", "fatal_probe.exe", "substring-past-end", nullptr,
     "Internal error: basic_string::substr.", Only(ERROR_INTERNAL_ERROR)},
    {"ElementPastEnd", "fatal_probe.exe", "element-past-end", nullptr,
     "Internal error: vector::_M_range_check.", Only(ERROR_INTERNAL_ERROR)},
    {"ArrayTooLong", "fatal_probe.exe", "array-too-long", nullptr,
     "Internal error: bad_array_new_length.", Only(ERROR_INTERNAL_ERROR)},
    {"ThrowFromAHeader", "fatal_probe.exe", "optional-without-value", nullptr,
     "Internal error: terminate.", Only(ERROR_INTERNAL_ERROR)},
    // A failure while the first report is shown ends the process at once, with the first code.
    {"FailureDuringReport", "fatal_probe.exe", "failure-during-report 1413", nullptr, nullptr,
     Only(ERROR_INVALID_INDEX)},
    // Null is no failure: the probe goes on to its own end, kNotEnded.
    {"NothrowOutOfMemory", "fatal_probe.exe", "nothrow-out-of-memory", nullptr, nullptr, Only(99)},
    // An overrun ends the process at once, with the status Windows gives a /GS failure; the
    // guard those checks compare with is seeded at every start.
    {"StackOverrun", "fatal_probe.exe", "stack-overrun", nullptr, nullptr, Only(0xC0000409)},
    {"FortifiedCopyOverrun", "fatal_probe.exe", "copy-overrun", nullptr, nullptr, Only(0xC0000409)},
    {"StackGuardIsSeeded", "fatal_probe.exe", "guard-seeded", nullptr, nullptr, Only(99)},
    // The program file has no dialog resources at all.
    {"NoDialogTemplate", "mensurator_without_dialog.exe", "", nullptr,
     "Cannot create the converter dialog.", kAnyCode},
};

// The system's text for code, asked for as the reporter asks for it.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  if (!FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
                      nullptr)) {
    return kNoSystemText;
  }
  const std::string result = text;
  LocalFree(text);
  return result;
}

// A box of the process waiting for the user; null when none came or the process ended first.
HWND WaitForErrorBox(const ChildProcess& child) {
  HWND box = nullptr;
  driver::WaitUntil([&] {
    box = child.FindTopLevel("#32770", "Error");
    return (box != nullptr && IsWindowVisible(box)) || !child.Running();
  });
  return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

// Presses OK and waits until the box is gone.
bool PressOk(HWND box) {
  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return driver::WaitUntil([&] { return !IsWindow(box); });
}

// Texts of the buttons the box offers.
std::vector<std::string> Buttons(HWND box) {
  std::vector<std::string> texts;
  for (HWND button : driver::VisibleChildren(box, "Button")) texts.push_back(driver::Text(button));
  return texts;
}

class FatalReportTest : public testing::TestWithParam<FatalCase> {};

TEST_P(FatalReportTest, ShowsTextCodeAndSystemTextThenExitsWithTheCode) {
  const FatalCase& c = GetParam();
  // The probes are built beside the test.
  const std::string program = driver::TestFile(nullptr, c.program);
  ChildProcess child("\"" + program + "\" " + c.arguments);
  ASSERT_TRUE(child.Started()) << program << ": error " << child.StartError();

  if (c.firstBox != nullptr) {
    const HWND box = WaitForErrorBox(child);
    ASSERT_NE(nullptr, box) << "no box: " << c.firstBox;
    EXPECT_EQ(c.firstBox, driver::Text(GetDlgItem(box, kMessageBoxTextId)));
    EXPECT_EQ(c.report != nullptr ? nullptr : child.FindTopLevel("#32770", "Mensurator"),
              GetWindow(box, GW_OWNER));
    EXPECT_EQ(std::vector<std::string>{"OK"}, Buttons(box));
    ASSERT_TRUE(PressOk(box)) << "first box does not close";
  }

  if (c.report == nullptr) {
    DWORD exitCode = STILL_ACTIVE;
    ASSERT_TRUE(child.WaitForExit(&exitCode)) << "still running";
    EXPECT_EQ(static_cast<DWORD>(c.codes.front()), exitCode);
    return;
  }
  const HWND box = WaitForErrorBox(child);
  ASSERT_NE(nullptr, box) << "no fatal report";
  EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
  EXPECT_EQ(std::vector<std::string>{"OK"}, Buttons(box));
  const std::string shown = driver::Text(GetDlgItem(box, kMessageBoxTextId));
  const std::string lead = std::string(c.report) + " Failed with error ";
  ASSERT_EQ(lead, shown.substr(0, lead.size())) << "whole text: " << shown;
  const long code = std::strtol(shown.c_str() + lead.size(), nullptr, 10);
  if (!c.codes.empty()) {
    EXPECT_NE(c.codes.end(), std::find(c.codes.begin(), c.codes.end(), code))
        << "code " << code << " is not one of " << testing::PrintToString(c.codes);
  }
  EXPECT_EQ(lead + std::to_string(code) + ": " + SystemText(static_cast<DWORD>(code)), shown);

  ASSERT_TRUE(PressOk(box)) << "fatal report does not close";
  DWORD exitCode = STILL_ACTIVE;
  ASSERT_TRUE(child.WaitForExit(&exitCode)) << "still running after the report";
  EXPECT_EQ(static_cast<DWORD>(code), exitCode);
}

INSTANTIATE_TEST_SUITE_P(Failures, FatalReportTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FatalCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
