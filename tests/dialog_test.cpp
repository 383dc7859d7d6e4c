// In-process tests of the converter dialog: the real template and dialog procedure, driven by
// the messages the system sends, with the queue pumped as the shell does and the controls read
// back. Also the list filling and the shell's main window.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "annotation_recorder.h"
#include "app/fatal_error.h"
#include "app/shell.h"
#include "control_names.h"
#include "engine/converter.h"
#include "res/resource_ids.h"
#include "tables/unit_tables.h"
#include "ui/conv_dialog.h"
#include "ui/result_format.h"
#include "ui/unit_lists.h"

namespace {

// While installed, refuses every top-level window the thread tries to create and counts them,
// so a stray message box fails the test instead of waiting for a click.
class TopLevelWindowGuard {
 public:
  TopLevelWindowGuard() {
    refused = 0;
    hook = SetWindowsHookExA(WH_CBT, Refuse, nullptr, GetCurrentThreadId());
  }
  ~TopLevelWindowGuard() { UnhookWindowsHookEx(hook); }
  static int refused;

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND &&
        !(reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style & WS_CHILD)) {
      ++refused;
      return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook;
};
int TopLevelWindowGuard::refused = 0;

// Routes queued messages as the shell's loop does until the queue stays empty for a moment;
// bounded so a message storm cannot hang the test.
void PumpMessages(HWND dialog) {
  const DWORD deadline = GetTickCount() + 3000;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  } while (MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT) != WAIT_TIMEOUT &&
           GetTickCount() < deadline);
}

std::string WindowText(HWND window) {
  std::string text(GetWindowTextLengthA(window) + 1, '\0');
  text.resize(GetWindowTextA(window, &text[0], static_cast<int>(text.size())));
  return text;
}

std::string ComboItem(HWND combo, LRESULT index) {
  std::string text(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0) + 1, '\0');
  text.resize(SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0])));
  return text;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) items.push_back(ComboItem(combo, i));
  return items;
}

class ConverterDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    CurrentConverter = &LengthConverter;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ID_DLG_CONVERTER),
                                nullptr, ConvDlgProc, 0);
    ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
    hConvDlg = dialog;
    PumpMessages(dialog);
  }

  // As the shell does. Only where a test needs it: Wine, with no window manager to answer,
  // waits two seconds to take a shown window down again.
  void Show() {
    ShowWindow(dialog, SW_SHOW);
    PumpMessages(dialog);
  }

  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    hConvDlg = nullptr;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  HWND Item(int id) const { return GetDlgItem(dialog, id); }
  std::string Text(int id) const { return WindowText(Item(id)); }
  std::string Selected(int id) const {
    return ComboItem(Item(id), SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
  }
  std::pair<std::string, std::string> Results() const {
    return {Text(IDC_RESULT), Text(IDC_RESULT_SCI)};
  }
  int Decimals() const {
    return static_cast<int>(SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_GETPOS32, 0, 0));
  }

  // Selects like the user: CB_SETCURSEL does not notify, so the notification is sent as well.
  void Choose(int id, LRESULT index) {
    SendMessageA(Item(id), CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id)));
    PumpMessages(dialog);
  }
  void Choose(int id, const char* name) {
    const LRESULT index =
        SendMessageA(Item(id), CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name));
    ASSERT_NE(CB_ERR, index) << name;
    Choose(id, index);
  }

  void SetValue(const char* text) {
    SetDlgItemTextA(dialog, IDC_VALUE, text);
    PumpMessages(dialog);
  }

  // One press of an up-down arrow key in the buddy field, through the dialog's key handling.
  void PressArrow(WPARAM key) {
    const HWND buddy = Item(IDC_DECIMALS);
    SetFocus(buddy);
    PostMessageA(buddy, WM_KEYDOWN, key, 1);
    PostMessageA(buddy, WM_KEYUP, key, 0xC0000001);
    PumpMessages(dialog);
  }

  void ConvertBetween(const char* source, const char* target, const char* value) {
    Choose(IDC_FROM_UNIT, source);
    Choose(IDC_TO_UNIT, target);
    SetValue(value);
  }

  HWND dialog = nullptr;
};

using ResultPair = std::pair<std::string, std::string>;

TEST_F(ConverterDialogTest, OpensOnLengthWithZeroConvertedAndValueReadyToReplace) {
  Show();
  EXPECT_EQ("Length", Selected(IDC_CATEGORY));
  EXPECT_EQ("Angstrom", Selected(IDC_FROM_UNIT));
  EXPECT_EQ("Centimeter", Selected(IDC_TO_UNIT));
  EXPECT_EQ("0.0", Text(IDC_VALUE));
  DWORD start = 99, end = 99;
  SendMessageA(Item(IDC_VALUE), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(0u, start);
  EXPECT_EQ(3u, end);
  EXPECT_EQ(Item(IDC_VALUE), GetFocus());
  EXPECT_EQ(2, Decimals());
  EXPECT_EQ("2", Text(IDC_DECIMALS));
  EXPECT_EQ(ResultPair("0.00", "0.00e+000"), Results());
  EXPECT_EQ(&LengthConverter, CurrentConverter);
  RECT bounds;
  GetWindowRect(dialog, &bounds);
  EXPECT_EQ((GetSystemMetrics(SM_CXFULLSCREEN) - (bounds.right - bounds.left)) / 2, bounds.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYFULLSCREEN) - (bounds.bottom - bounds.top)) / 2, bounds.top);
}

TEST_F(ConverterDialogTest, FirstRecalculationIsPostedNotDoneDuringCreation) {
  const HWND second = CreateDialogParamA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ID_DLG_CONVERTER), nullptr, ConvDlgProc, 0);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ("", WindowText(GetDlgItem(second, IDC_RESULT)));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, second, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  EXPECT_EQ(IDC_RECALC, LOWORD(msg.wParam));
  PumpMessages(second);
  EXPECT_EQ("0.00", WindowText(GetDlgItem(second, IDC_RESULT)));
  DestroyWindow(second);
}

TEST_F(ConverterDialogTest, CategoriesKeepTheirOwnOrder) {
  const std::vector<std::string> expected = {"Length", "Area", "Mass", "Volume", "Temperature"};
  EXPECT_EQ(expected, ComboItems(Item(IDC_CATEGORY)));
}

TEST_F(ConverterDialogTest, ListPositionsAreEnginePositionsInEveryCategory) {
  const Converter* const tables[] = {&LengthConverter, &AreaConverter, &MassConverter,
                                     &VolumeConverter, &TemperatureConverter};
  for (int category = 0; category < 5; ++category) {
    Choose(IDC_CATEGORY, category);
    ASSERT_EQ(tables[category], CurrentConverter) << "category " << category;
    const std::vector<std::string> sources = CurrentConverter->FromUnitNames();
    ASSERT_EQ(sources, ComboItems(Item(IDC_FROM_UNIT))) << "category " << category;
    for (std::int32_t position = 0; position < static_cast<std::int32_t>(sources.size());
         ++position) {
      Choose(IDC_FROM_UNIT, position);
      EXPECT_EQ(CurrentConverter->ToUnitNames(CurrentConverter->FromUnitIdAt(position)),
                ComboItems(Item(IDC_TO_UNIT)))
          << sources[position];
      EXPECT_EQ(0, SendMessageA(Item(IDC_TO_UNIT), CB_GETCURSEL, 0, 0)) << sources[position];
    }
  }
  Choose(IDC_CATEGORY, 3);
  EXPECT_EQ("Cubic yard", ComboItem(Item(IDC_FROM_UNIT), 5));
  EXPECT_EQ("Liter", ComboItem(Item(IDC_FROM_UNIT), 6));
}

TEST_F(ConverterDialogTest, ArrowStepsRecalculateWithTheNewDecimals) {
  ConvertBetween("Centimeter", "Inch", "1");
  EXPECT_EQ(ResultPair("0.39", "3.94e-001"), Results());
  PressArrow(VK_UP);
  PressArrow(VK_UP);
  EXPECT_EQ(4, Decimals());
  EXPECT_EQ(ResultPair("0.3937", "3.9370e-001"), Results());
}

TEST_F(ConverterDialogTest, NoDecimalsShowsNoPoint) {
  ConvertBetween("Centimeter", "Milimeter", "1.27");
  PressArrow(VK_DOWN);
  PressArrow(VK_DOWN);
  EXPECT_EQ(0, Decimals());
  EXPECT_EQ(ResultPair("13", "1e+001"), Results());
}

TEST_F(ConverterDialogTest, ArrowsWrapBetweenFifteenAndZero) {
  ConvertBetween("Centimeter", "Milimeter", "1.5");
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETPOS32, 0, 15);
  PressArrow(VK_UP);
  EXPECT_EQ(0, Decimals());
  EXPECT_EQ(ResultPair("15", "2e+001"), Results());
  PressArrow(VK_DOWN);
  EXPECT_EQ(15, Decimals());
  EXPECT_EQ(ResultPair("15.000000000000000", "1.500000000000000e+001"), Results());
}

TEST_F(ConverterDialogTest, ValueFieldTakesAtMost25Characters) {
  EXPECT_EQ(25, SendMessageA(Item(IDC_VALUE), EM_GETLIMITTEXT, 0, 0));
  SendMessageA(Item(IDC_VALUE), EM_SETSEL, 0, -1);
  for (int i = 0; i < 30; ++i) SendMessageA(Item(IDC_VALUE), WM_CHAR, '1', 1);
  PumpMessages(dialog);
  EXPECT_EQ(std::string(25, '1'), Text(IDC_VALUE));
}

TEST_F(ConverterDialogTest, RejectedTextBlanksResultsWithoutAMessage) {
  TopLevelWindowGuard guard;
  for (const char* rejected : {"12abc", "abc", "1e999", "1e-999", " "}) {
    SetValue("12");
    EXPECT_EQ(ResultPair("0.00", "1.20e-007"), Results());
    SetValue(rejected);
    EXPECT_EQ(ResultPair("", ""), Results()) << rejected;
  }
  SetValue("12");
  EXPECT_EQ(ResultPair("0.00", "1.20e-007"), Results());
  EXPECT_EQ(0, TopLevelWindowGuard::refused);
}

TEST_F(ConverterDialogTest, CategoryChangeResetsUnitsAndKeepsValue) {
  ConvertBetween("Meter", "Yard", "5");
  Choose(IDC_CATEGORY, "Mass");
  EXPECT_EQ(&MassConverter, CurrentConverter);
  EXPECT_EQ(0, SendMessageA(Item(IDC_FROM_UNIT), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessageA(Item(IDC_TO_UNIT), CB_GETCURSEL, 0, 0));
  EXPECT_EQ("5", Text(IDC_VALUE));
  const std::int32_t fromId = MassConverter.FromUnitIdAt(0);
  const double factor = MassConverter.Factor(fromId, MassConverter.ToUnitIdAt(fromId, 0));
  EXPECT_EQ(ResultPair(FormatFixed(5 * factor, 2), FormatScientific(5 * factor, 2)), Results());
}

TEST_F(ConverterDialogTest, SourceChangeResetsTarget) {
  Choose(IDC_FROM_UNIT, "Meter");
  Choose(IDC_TO_UNIT, "Yard");
  Choose(IDC_FROM_UNIT, "Mile");
  EXPECT_EQ("Angstrom", Selected(IDC_TO_UNIT));
  EXPECT_EQ("Mile", Selected(IDC_FROM_UNIT));
}

TEST_F(ConverterDialogTest, HugePlainResultIsShownWhole) {
  ConvertBetween("Kilometer", "Meter", "1e300");
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETPOS32, 0, 15);
  SetValue("1e300");
  const std::string plain = Text(IDC_RESULT);
  EXPECT_GT(plain.size(), 300u);
  EXPECT_EQ(FormatFixed(1e300 * 1000.0, 15), plain);
  EXPECT_EQ("1.000000000000000e+303", Text(IDC_RESULT_SCI));
}

TEST_F(ConverterDialogTest, OverflowingProductShowsInfinity) {
  ConvertBetween("Kilometer", "Nanometer", "1e308");
  EXPECT_EQ(ResultPair("inf", "inf"), Results());
  SetValue("-1e308");
  EXPECT_EQ(ResultPair("-inf", "-inf"), Results());
}

TEST_F(ConverterDialogTest, UnreadableDecimalsKeepTheLastValidPosition) {
  ConvertBetween("Centimeter", "Inch", "1");
  PressArrow(VK_UP);
  PressArrow(VK_UP);
  for (const char* typed : {"99", "abc", "-1", "16"}) {
    SetDlgItemTextA(dialog, IDC_DECIMALS, typed);
    SetValue("1");
    EXPECT_EQ(ResultPair("0.3937", "3.9370e-001"), Results()) << typed;
  }
  // The up-down itself keeps its position for such texts; a position it does report outside
  // 0..15 (possible here only by widening its range) is not used either.
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETRANGE32, 0, 99);
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETPOS32, 0, 99);
  SetValue("1");
  EXPECT_EQ(ResultPair("0.3937", "3.9370e-001"), Results());
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETRANGE32, 0, 15);
  SendMessageA(Item(IDC_DECIMALS_SPIN), UDM_SETPOS32, 0, 4);
  // Typing a decimals count requests no recalculation of its own.
  SetDlgItemTextA(dialog, IDC_DECIMALS, "3");
  PumpMessages(dialog);
  EXPECT_EQ("0.3937", Text(IDC_RESULT));
  SetValue("1");
  EXPECT_EQ(ResultPair("0.394", "3.937e-001"), Results());
}

// Steps taken while the value does not convert still count once it does,
// even when the decimals field holds a text the control cannot read.
TEST_F(ConverterDialogTest, StepsWhileResultsAreBlankSurviveAnUnreadableField) {
  ConvertBetween("Centimeter", "Kilometer", "1e999");
  EXPECT_EQ(ResultPair("", ""), Results());
  PressArrow(VK_UP);
  EXPECT_EQ(3, Decimals());
  SetDlgItemTextA(dialog, IDC_DECIMALS, "x");
  SetValue("1");
  EXPECT_EQ(ResultPair("0.000", "1.000e-005"), Results());
}

TEST_F(ConverterDialogTest, EscapeAndEnterLeaveTheDialogOpen) {
  Show();
  TopLevelWindowGuard guard;
  SetFocus(Item(IDC_VALUE));
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    MSG msg{Item(IDC_VALUE), WM_KEYDOWN, key, 1, 0, {0, 0}};
    IsDialogMessageA(dialog, &msg);
    PumpMessages(dialog);
    EXPECT_TRUE(IsWindowVisible(dialog)) << key;
    EXPECT_EQ(dialog, hConvDlg) << key;
  }
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_EQ(0, TopLevelWindowGuard::refused);
}

TEST_F(ConverterDialogTest, CloseClearsHandleDestroysDialogAndQuitsWithZero) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(IDC_CLOSE)));
  EXPECT_EQ(nullptr, hConvDlg);
  EXPECT_FALSE(IsWindow(dialog));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
}

TEST_F(ConverterDialogTest, HandlersAnswerAsDialogProceduresAndNeverConvertInPlace) {
  struct Case {
    WPARAM wParam;
    INT_PTR expected;
    bool requestsRecalculation;
  };
  const Case cases[] = {
      {MAKEWPARAM(IDC_VALUE, EN_UPDATE), TRUE, true},
      {MAKEWPARAM(IDC_VALUE, EN_CHANGE), TRUE, false},
      {MAKEWPARAM(IDC_TO_UNIT, CBN_SELCHANGE), TRUE, true},
      {MAKEWPARAM(IDC_TO_UNIT, CBN_DROPDOWN), TRUE, false},
      {MAKEWPARAM(IDC_DECIMALS, EN_UPDATE), FALSE, false},
      {MAKEWPARAM(IDC_RESULT, EN_UPDATE), FALSE, false},
      {MAKEWPARAM(IDOK, BN_CLICKED), FALSE, false},
      {MAKEWPARAM(IDCANCEL, BN_CLICKED), FALSE, false},
  };
  SetValue("7");
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ConvDlgProc(dialog, WM_COMMAND, c.wParam, 0)) << LOWORD(c.wParam);
    MSG msg;
    EXPECT_EQ(c.requestsRecalculation,
              PeekMessageA(&msg, dialog, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0)
        << LOWORD(c.wParam);
  }
  NMHDR fromSpin{Item(IDC_DECIMALS_SPIN), IDC_DECIMALS_SPIN, UDN_DELTAPOS};
  NMHDR fromElsewhere{Item(IDC_RESULT), IDC_RESULT, UDN_DELTAPOS};
  EXPECT_EQ(FALSE,
            ConvDlgProc(dialog, WM_NOTIFY, IDC_RESULT, reinterpret_cast<LPARAM>(&fromElsewhere)));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, dialog, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  EXPECT_EQ(FALSE,
            ConvDlgProc(dialog, WM_NOTIFY, IDC_DECIMALS_SPIN, reinterpret_cast<LPARAM>(&fromSpin)));
  EXPECT_TRUE(PeekMessageA(&msg, dialog, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  SetDlgItemTextA(dialog, IDC_VALUE, "8");  // requests, but the result waits for the loop
  EXPECT_EQ("0.00", Text(IDC_RESULT));
  EXPECT_EQ("7.00e-008", Text(IDC_RESULT_SCI));
  PumpMessages(dialog);
  EXPECT_EQ("8.00e-008", Text(IDC_RESULT_SCI));
}

TEST_F(ConverterDialogTest, RecalculationWithoutAUnitSelectionChangesNothing) {
  SetValue("7");
  for (int list : {IDC_FROM_UNIT, IDC_TO_UNIT}) {
    SendMessageA(Item(list), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDlgItemTextA(dialog, IDC_VALUE, "8");
    EXPECT_EQ(FALSE, ConvDlgProc(dialog, WM_COMMAND, MAKEWPARAM(IDC_RECALC, 0), 0)) << list;
    EXPECT_EQ(ResultPair("0.00", "7.00e-008"), Results()) << list;
    SendMessageA(Item(list), CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dialog, IDC_VALUE, "7");
  }
  EXPECT_EQ(TRUE, ConvDlgProc(dialog, WM_COMMAND, MAKEWPARAM(IDC_RECALC, 0), 0));
}

// What a screen reader announces for each input control as it takes the focus. Under Wine the
// controls are asked all the same, so the naming runs into Wine's refusal and must survive it.
TEST_F(ConverterDialogTest, EveryInputControlIsNamedAsItsLabelsRead) {
  control_names::Names actual;
  for (const auto& [id, name] : control_names::kExpected) {
    std::string read;
    ASSERT_EQ(S_OK, control_names::ReadName(Item(id), &read)) << "control " << id;
    actual.emplace_back(id, read);
  }
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
    GTEST_SKIP() << "Wine 8 has no dynamic annotation (IAccPropServices::SetHwndPropStr answers "
                    "E_NOTIMPL), so the controls keep Wine's own names; checked on Windows";
  }
  EXPECT_EQ(control_names::kExpected, actual);
}

// The naming as the annotation service sees it, with a recorder in the service's place. Under
// Wine only: there the real service names nothing; on Windows the row above reads the real
// service's names, and a stand-in registered here would take its place for every caller in this
// process, oleacc included, in ways no test here could check.
class AnnotationServiceTest : public ConverterDialogTest {
 protected:
  void SetUp() override {
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
      GTEST_SKIP() << "the real service names the controls on Windows; checked above";
    }
    handler = AddVectoredExceptionHandler(1, CountFault);
    registration.emplace(&recorder);
    ASSERT_EQ(S_OK, registration->started) << "COM was left started on this thread";
    ASSERT_EQ(S_OK, registration->registered);
    ConverterDialogTest::SetUp();
  }
  void TearDown() override {
    ConverterDialogTest::TearDown();
    registration.reset();
    if (handler != nullptr) RemoveVectoredExceptionHandler(handler);
  }

  // Wine drops an exception raised in a window procedure, as 64-bit Windows long did for 32-bit
  // programs, so a fault (an error, by its severity) while naming or clearing is counted as raised.
  static LONG CALLBACK CountFault(EXCEPTION_POINTERS* exception) {
    faults += exception->ExceptionRecord->ExceptionCode >> 30 == 3;
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static inline int faults = 0;

  // Every input control's line but `gone`'s, with its name where `named`.
  static std::multiset<std::string> Expected(int gone, bool named) {
    std::multiset<std::string> lines;
    for (const auto& [id, name] : control_names::kExpected) {
      if (id != gone) lines.insert(std::to_string(id) + " name" + (named ? ": " + name : ""));
    }
    return lines;
  }

  annotation_recorder::Recorder recorder;
  std::optional<annotation_recorder::Registration> registration;
  PVOID handler = nullptr;
};

TEST_F(AnnotationServiceTest, FirstQuestionNamesEachControlOnceAndItsDestructionClearsThem) {
  using annotation_recorder::kEveryControl;
  struct Case {
    int asked, gone, refused;
  };
  const Case cases[] = {{IDC_RESULT_SCI, 0, 0},
                        {IDC_VALUE, 0, IDC_RESULT_SCI},  // the others' names are kept
                        {IDC_DECIMALS_SPIN, 0, kEveryControl},
                        {IDC_CATEGORY, IDC_RESULT_SCI, 0}};  // a control gone is left alone
  // Messages other than WM_GETOBJECT, and questions to the dialog and to Close, name nothing.
  SendMessageW(dialog, WM_GETOBJECT, 0, OBJID_CLIENT);
  SendMessageW(Item(IDC_CLOSE), WM_GETOBJECT, 0, OBJID_CLIENT);
  EXPECT_TRUE(recorder.named.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "asked " << c.asked << ", gone " << c.gone << ", refused " << c.refused);
    recorder.named.clear();
    recorder.cleared.clear();
    recorder.refused = c.refused;
    const HWND second = CreateDialogParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ID_DLG_CONVERTER), nullptr, ConvDlgProc, 0);
    ASSERT_NE(nullptr, second);
    PumpMessages(second);
    if (c.gone != 0) DestroyWindow(GetDlgItem(second, c.gone));
    SendMessageW(GetDlgItem(second, c.asked), WM_GETOBJECT, 0, OBJID_CLIENT);
    SendMessageW(GetDlgItem(second, IDC_TO_UNIT), WM_GETOBJECT, 0, OBJID_CLIENT);
    EXPECT_EQ(Expected(c.gone, true), recorder.named);
    const bool kept = c.refused != kEveryControl;
    EXPECT_EQ(kept ? 1 : 0, recorder.references);
    EXPECT_EQ(kept, GetWindowLongPtrA(second, DWLP_USER) != 1);  // 1: asked, nothing named
    DestroyWindow(second);
    EXPECT_EQ(kept ? Expected(c.gone, false) : std::multiset<std::string>(), recorder.cleared);
    EXPECT_EQ(0, recorder.references);
  }
  EXPECT_EQ(0, GetWindowLongPtrA(dialog, DWLP_USER));  // never asked
  EXPECT_EQ(0, faults) << "faults raised and dropped";
  registration.reset();
  const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(S_OK, again) << "the naming left COM started";
  if (SUCCEEDED(again)) CoUninitialize();
}

WNDPROC valueProc = nullptr;
LRESULT CALLBACK PassOn(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(valueProc, control, message, wParam, lParam);
}

// A procedure put over a control's after the set-up leaves that control waiting underneath;
// its questions must not name the controls again, which would replace the kept service.
TEST_F(ConverterDialogTest, ControlsAreNamedOnceUnderAProcedurePutOverTheirs) {
  valueProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Item(IDC_VALUE), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassOn)));
  EXPECT_EQ(0, GetWindowLongPtrA(dialog, DWLP_USER));
  SendMessageW(Item(IDC_VALUE), WM_GETOBJECT, 0, OBJID_CLIENT);
  const LONG_PTR kept = GetWindowLongPtrA(dialog, DWLP_USER);
  EXPECT_NE(0, kept);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(PassOn), GetWindowLongPtrW(Item(IDC_VALUE), GWLP_WNDPROC));
  SendMessageW(Item(IDC_VALUE), WM_GETOBJECT, 0, OBJID_CLIENT);
  EXPECT_EQ(kept, GetWindowLongPtrA(dialog, DWLP_USER));
  EXPECT_EQ("0.0", Text(IDC_VALUE));  // still served by its own procedure
}

TEST(CenterWindowTest, CentresInTheFullScreenArea) {
  const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 7, 200, 100, nullptr, nullptr,
                                      nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  CenterWindow(window);
  RECT bounds;
  GetWindowRect(window, &bounds);
  EXPECT_EQ((GetSystemMetrics(SM_CXFULLSCREEN) - 200) / 2, bounds.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYFULLSCREEN) - 100) / 2, bounds.top);
  EXPECT_EQ(200, bounds.right - bounds.left);
  CenterWindow(nullptr);
  DestroyWindow(window);
}

class FillComboTest : public testing::Test {
 protected:
  void SetUp() override {
    combo = CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100,
                            100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, combo);
  }
  void TearDown() override { DestroyWindow(combo); }
  HWND combo = nullptr;
};

TEST_F(FillComboTest, ReplacesItemsAndNeverSelects) {
  EXPECT_TRUE(FillCombo(combo, {"b", "a", "c"}));
  EXPECT_TRUE(FillCombo(combo, {"Mile", "Angstrom"}));
  EXPECT_EQ((std::vector<std::string>{"Angstrom", "Mile"}), ComboItems(combo));
  EXPECT_EQ(CB_ERR, SendMessageA(combo, CB_GETCURSEL, 0, 0));
  EXPECT_TRUE(FillCombo(combo, {}));
  EXPECT_EQ(0, SendMessageA(combo, CB_GETCOUNT, 0, 0));
}

TEST_F(FillComboTest, RefusesSilentlyWhatIsNoWindow) {
  TopLevelWindowGuard guard;
  DestroyWindow(combo);
  EXPECT_FALSE(FillCombo(combo, {"a"}));
  EXPECT_FALSE(FillCombo(nullptr, {"a"}));
  EXPECT_EQ(0, TopLevelWindowGuard::refused);
}

TEST(FailureMessageTest, StayWithinTheirBuffers) {
  EXPECT_EQ("Error occurred while adding Cubic yard.", AddFailureMessage("Cubic yard"));
  const std::string cut = AddFailureMessage(std::string(200, 'x'));
  EXPECT_EQ("Error occurred while adding " + std::string(50, 'x') + ".", cut);
  EXPECT_EQ("0 items. Cannot select an option in convert to combo.", SelectFailureMessage(0));
  EXPECT_EQ("-2147483648 items. Cannot select an option in convert to combo.",
            SelectFailureMessage(-2147483647 - 1));
}

TEST(FailureMessageTest, ErrorReportKeepsTextCodeAndSystemText) {
  EXPECT_EQ("Cannot select a category. Failed with error 5: Access denied.\r\n",
            FormatErrorReport("Cannot select a category.", 5, "Access denied.\r\n"));
  EXPECT_EQ("ConvDlgProc Failed with error -536870911: (no system text for this code)\r\n",
            FormatErrorReport("ConvDlgProc", -536870911, nullptr));
  const std::string cut = FormatErrorReport(std::string(2000, 'y').c_str(), 0, "z");
  EXPECT_EQ(MaxErrorReportLength, cut.size());
  EXPECT_EQ(std::string(1023, 'y'), cut);
}

// The size a text needs in the font its control really uses.
SIZE TextExtent(HWND control, const std::string& text) {
  SIZE size{};
  const HDC dc = GetDC(control);
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return size;
}

// Whether `control` is an up-down control with `buddy` as its buddy: it overlaps the buddy's
// border by design, so that the two look as one.
bool IsUpDownOf(HWND control, HWND buddy) {
  char className[32] = "";
  GetClassNameA(control, className, sizeof className);
  return lstrcmpiA(className, UPDOWN_CLASSA) == 0 &&
         reinterpret_cast<HWND>(SendMessageA(control, UDM_GETBUDDY, 0, 0)) == buddy;
}

// Every label, group-box caption and button text of the dialog fits its control on one line,
// and no two input controls overlap, but for an up-down control and its buddy.
void ExpectSoundLayout(HWND dialog) {
  std::vector<HWND> inputs;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool label = lstrcmpiA(className, "Static") == 0;
    const bool button = lstrcmpiA(className, "Button") == 0;
    const std::string text = WindowText(control);
    if ((label && (style & SS_TYPEMASK) <= SS_RIGHT) || button) {
      const SIZE needed = TextExtent(control, text);
      RECT available;
      GetClientRect(control, &available);
      EXPECT_TRUE(needed.cx <= available.right && needed.cy <= available.bottom)
          << '"' << text << "\" needs " << needed.cx << 'x' << needed.cy << " px, has "
          << available.right << 'x' << available.bottom;
    }
    if (!label && !(button && (style & BS_TYPEMASK) == BS_GROUPBOX)) inputs.push_back(control);
  }
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    for (std::size_t j = i + 1; j < inputs.size(); ++j) {
      if (IsUpDownOf(inputs[i], inputs[j]) || IsUpDownOf(inputs[j], inputs[i])) continue;
      RECT a, b, both;
      GetWindowRect(inputs[i], &a);
      GetWindowRect(inputs[j], &b);
      EXPECT_FALSE(IntersectRect(&both, &a, &b))
          << "controls " << GetDlgCtrlID(inputs[i]) << " and " << GetDlgCtrlID(inputs[j])
          << " overlap";
    }
  }
}

// CTest runs this once more in a Wine prefix for each common display scale; MENSURATOR_DPI
// names the dpi that prefix was given.
TEST_F(ConverterDialogTest, BothDialogsAreLaidOutSoundlyAtThisDpi) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (const char* expected = std::getenv("MENSURATOR_DPI")) {
    EXPECT_EQ(std::atoi(expected), dpi);
  }
  const HWND about = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ID_DLG_ABOUT),
                                        nullptr, AboutDlgProc, 0);
  ASSERT_NE(nullptr, about) << "error " << GetLastError();
  for (const HWND shown : {dialog, about}) {
    SCOPED_TRACE(testing::Message() << WindowText(shown) << " at " << dpi << " dpi");
    ExpectSoundLayout(shown);
  }
  DestroyWindow(about);
}

// The shell's creation handler must leave an existing converter dialog alone.
BOOL CALLBACK CountDialogs(HWND window, LPARAM count) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpA(className, "#32770") == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST_F(ConverterDialogTest, MainWindowMakesNoSecondDialog) {
  hAppInstance = GetModuleHandleA(nullptr);
  LoadStringA(hAppInstance, ID_STR_CLASS, szMainClass, ShellTextSize);
  RegisterMainClass(hAppInstance);
  const HWND mainWindow =
      CreateWindowExA(0, szMainClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                      nullptr, nullptr, hAppInstance, nullptr);
  ASSERT_NE(nullptr, mainWindow);
  EXPECT_EQ(dialog, hConvDlg);
  int dialogs = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountDialogs, reinterpret_cast<LPARAM>(&dialogs));
  EXPECT_EQ(1, dialogs);
  DestroyWindow(mainWindow);
}

// The main window's class as registered: its icons, cursor, background and menu.
TEST(MainClassTest, IsRegisteredWithTheProgramsIconsCursorAndMenu) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  LoadStringA(instance, ID_STR_CLASS, szMainClass, ShellTextSize);
  RegisterMainClass(instance);
  WNDCLASSEXA found{};
  found.cbSize = sizeof found;
  ASSERT_TRUE(GetClassInfoExA(instance, szMainClass, &found)) << "error " << GetLastError();
  EXPECT_EQ(UINT{CS_HREDRAW | CS_VREDRAW}, found.style);
  EXPECT_EQ(&MainWndProc, found.lpfnWndProc);
  EXPECT_EQ(0, found.cbClsExtra + found.cbWndExtra);
  EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(ID_ICON_LARGE)), found.hIcon);
  EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(ID_ICON_SMALL)), found.hIconSm);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), found.hCursor);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), found.hbrBackground);
  EXPECT_EQ(MAKEINTRESOURCEA(ID_MENU_MAIN), found.lpszMenuName);
}

}  // namespace
