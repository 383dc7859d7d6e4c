// Whole-program tests: the real mensurator.exe runs as a process of its own and is driven from
// outside through its windows, as a user would, down to its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "control_names.h"
#include "process_driver.h"
#include "program_ids.h"

namespace {

using driver::ChildProcess;
using namespace program_ids;

// The program under test: beside the tests' folder, where the build puts it.
const std::string kProgram = driver::TestFile("MENSURATOR_EXE", "../mensurator.exe");

// Controls without an id of their own, such as labels, have -1 as a 16-bit id.
constexpr int kUnnamedControlId = 0xFFFF;

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    program_ = std::make_unique<ChildProcess>(std::string("\"") + kProgram + "\"");
    ASSERT_TRUE(program_->Started()) << kProgram << ": error " << program_->StartError();
    dialog_ = program_->WaitForTopLevel("#32770", "Mensurator");
    ASSERT_NE(nullptr, dialog_) << "no converter dialog";
    mainWindow_ = program_->FindTopLevel("MENSURATOR", "Mensurator");
    ASSERT_NE(nullptr, mainWindow_) << "no main window";
    // The first recalculation is posted by the dialog's set-up; wait until it has run.
    driver::WaitUntil([&] { return !Text(kResultSciId).empty(); });
  }

  // Ends the program if a test left it running.
  void TearDown() override { program_.reset(); }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string Text(int id) const { return driver::Text(Item(id)); }

  // The program's answer once it has settled, or what it showed last when it did not in time
  // or the dialog went away.
  std::string WaitForText(int id, const std::string& expected) const {
    std::string seen;
    driver::WaitUntil([&] {
      seen = Text(id);
      return seen == expected || !IsWindow(dialog_);
    });
    return seen;
  }

  // The dialog is still there and the process has not ended.
  void ExpectStillRunning(const std::string& after) const {
    EXPECT_TRUE(program_->Running()) << "process ended after " << after;
    EXPECT_TRUE(IsWindow(dialog_)) << "converter dialog gone after " << after;
    EXPECT_TRUE(IsWindowVisible(dialog_)) << "converter dialog hidden after " << after;
  }

  std::unique_ptr<ChildProcess> program_;
  HWND dialog_ = nullptr;
  HWND mainWindow_ = nullptr;
};

TEST_F(ProgramTest, ConverterDialogIsTheOnlyVisibleWindow) {
  std::vector<std::string> visible;
  for (HWND window : program_->TopLevelWindows()) {
    if (IsWindowVisible(window)) {
      visible.push_back(driver::ClassName(window) + " \"" + driver::Caption(window) + "\"");
    }
  }
  EXPECT_EQ(std::vector<std::string>{"#32770 \"Mensurator\""}, visible);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(nullptr, GetWindow(dialog_, GW_OWNER));
}

// Wine gives no access to the items of another process's menu, so the window is checked for
// having a menu and the program file for what that menu holds.
TEST_F(ProgramTest, MainWindowIsHiddenAndCarriesTheMenu) {
  EXPECT_FALSE(IsWindowVisible(mainWindow_));
  EXPECT_NE(nullptr, GetMenu(mainWindow_));

  const HMODULE file = LoadLibraryExA(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, file) << "error " << GetLastError();
  const HMENU menu = LoadMenuA(file, MAKEINTRESOURCEA(kMenuId));
  FreeLibrary(file);
  ASSERT_NE(nullptr, menu) << "error " << GetLastError();
  EXPECT_EQ(2, GetMenuItemCount(menu));
  EXPECT_EQ("&File", driver::MenuItemText(menu, 0));
  EXPECT_EQ("&Help", driver::MenuItemText(menu, 1));
  const HMENU fileMenu = GetSubMenu(menu, 0);
  const HMENU helpMenu = GetSubMenu(menu, 1);
  EXPECT_EQ(1, GetMenuItemCount(fileMenu));
  EXPECT_EQ("E&xit", driver::MenuItemText(fileMenu, 0));
  EXPECT_EQ(kExitCommand, GetMenuItemID(fileMenu, 0));
  EXPECT_EQ(1, GetMenuItemCount(helpMenu));
  EXPECT_EQ("&About ...", driver::MenuItemText(helpMenu, 0));
  EXPECT_EQ(kAboutCommand, GetMenuItemID(helpMenu, 0));
  DestroyMenu(menu);
}

TEST_F(ProgramTest, StartsWithLengthAndValueZero) {
  EXPECT_EQ("0.0", Text(kValueId));
  EXPECT_EQ("0.00", WaitForText(kResultId, "0.00"));
  EXPECT_EQ("0.00e+000", WaitForText(kResultSciId, "0.00e+000"));
  EXPECT_EQ("2", Text(kDecimalsId));
  EXPECT_EQ((std::vector<std::string>{"Length", "Area", "Mass", "Volume", "Temperature"}),
            driver::ComboItems(Item(kCategoryId)));
  EXPECT_EQ(0, driver::ComboSelection(Item(kCategoryId)));
  EXPECT_EQ("Angstrom", driver::ComboSelectedText(Item(kFromUnitId)));
  EXPECT_EQ("Centimeter", driver::ComboSelectedText(Item(kToUnitId)));
}

// A screen reader asks from its own process; the first question names the controls inside the
// program, which must answer it and go on, also where the naming is refused.
TEST_F(ProgramTest, EveryInputControlIsNamedForAReaderInAnotherProcess) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  control_names::Names actual;
  for (const auto& [id, name] : control_names::kExpected) {
    std::string read;
    EXPECT_EQ(S_OK, control_names::ReadName(Item(id), &read)) << "control " << id;
    actual.emplace_back(id, read);
  }
  CoUninitialize();
  ExpectStillRunning("its controls' names were asked");
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
    GTEST_SKIP() << "Wine 8 has no dynamic annotation (IAccPropServices::SetHwndPropStr answers "
                    "E_NOTIMPL), so the controls keep Wine's own names; checked on Windows";
  }
  EXPECT_EQ(control_names::kExpected, actual);
}

// Every orderly end, from either window, gives exit code 0.
struct Ending {
  const char* name;
  void (*trigger)(HWND dialog, HWND mainWindow);
};

const Ending kEndings[] = {
    {"CloseButtonClicked",
     [](HWND dialog, HWND) { PostMessageW(GetDlgItem(dialog, kCloseId), BM_CLICK, 0, 0); }},
    {"CloseCommandToDialog",
     [](HWND dialog, HWND) {
       PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCloseId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, kCloseId)));
     }},
    {"ExitCommandToMainWindow",
     [](HWND, HWND mainWindow) { PostMessageW(mainWindow, WM_COMMAND, kExitCommand, 0); }},
    {"CloseMessageToMainWindow",
     [](HWND, HWND mainWindow) { PostMessageW(mainWindow, WM_CLOSE, 0, 0); }},
};

void PrintTo(const Ending& ending, std::ostream* out) { *out << ending.name; }

class ProgramEndTest : public ProgramTest, public testing::WithParamInterface<Ending> {};

TEST_P(ProgramEndTest, ExitsWithZero) {
  GetParam().trigger(dialog_, mainWindow_);
  DWORD exitCode = STILL_ACTIVE;
  ASSERT_TRUE(program_->WaitForExit(&exitCode)) << "still running";
  EXPECT_EQ(0u, exitCode);
}

INSTANTIATE_TEST_SUITE_P(Endings, ProgramEndTest, testing::ValuesIn(kEndings),
                         [](const testing::TestParamInfo<Ending>& info) {
                           return std::string(info.param.name);
                         });

// The dialog handles neither IDOK nor IDCANCEL, so Enter and Escape in the value field leave it
// open. A digit typed after each key proves the program has dealt with the key and goes on.
TEST_F(ProgramTest, EnterAndEscapeInTheValueFieldKeepTheDialogOpen) {
  struct Press {
    const char* name;
    WPARAM key;
    wchar_t digit;
    const char* valueAfter;
    const char* resultAfter;
  };
  // Length, Angstrom to Centimeter, 2 decimals.
  const Press presses[] = {
      {"Escape", VK_ESCAPE, L'7', "7", "7.00e-008"},
      {"Enter", VK_RETURN, L'5', "75", "7.50e-007"},
  };
  for (const Press& press : presses) {
    SCOPED_TRACE(press.name);
    driver::PostKey(Item(kValueId), press.key);
    PostMessageW(Item(kValueId), WM_CHAR, press.digit, 1);
    ASSERT_EQ(press.valueAfter, WaitForText(kValueId, press.valueAfter));
    EXPECT_EQ(press.resultAfter, WaitForText(kResultSciId, press.resultAfter));
    ExpectStillRunning(press.name);
  }
}

// The About box runs modally, owned by the hidden main window; each of its ways out ends only
// the box, and the converter goes on.
TEST_F(ProgramTest, AboutBoxClosesEveryWayAndTheProgramGoesOn) {
  struct Dismissal {
    const char* name;
    std::function<void(HWND box)> press;
  };
  const Dismissal dismissals[] = {
      {"OK clicked", [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }},
      {"Enter", [](HWND box) { driver::PostKey(GetDlgItem(box, IDOK), VK_RETURN); }},
      {"Escape", [](HWND box) { driver::PostKey(GetDlgItem(box, IDOK), VK_ESCAPE); }},
      {"WM_CLOSE", [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }},
      {"SC_CLOSE", [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Dismissal& dismissal : dismissals) {
    SCOPED_TRACE(dismissal.name);
    PostMessageW(mainWindow_, WM_COMMAND, kAboutCommand, 0);
    const HWND box = program_->WaitForTopLevel("#32770", "About");
    ASSERT_NE(nullptr, box) << "no About box";
    EXPECT_EQ(mainWindow_, GetWindow(box, GW_OWNER));
    EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(box) != FALSE; }));
    EXPECT_EQ("Mensurator Version 1.0", driver::Text(GetDlgItem(box, kUnnamedControlId)));
    EXPECT_EQ("OK", driver::Text(GetDlgItem(box, IDOK)));

    dismissal.press(box);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindow(box); })) << "About box still open";
    ExpectStillRunning(dismissal.name);
  }
  // Back in the program's own loop: the dialog still converts, and Close still ends it.
  PostMessageW(Item(kValueId), WM_CHAR, L'3', 1);
  EXPECT_EQ("3.00e-008", WaitForText(kResultSciId, "3.00e-008"));
  PostMessageW(Item(kCloseId), BM_CLICK, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(program_->WaitForExit(&exitCode)) << "still running";
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
