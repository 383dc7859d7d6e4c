// Stress test of the finished program: thousands of random user actions on the real converter
// dialog of a running mensurator.exe, each followed by a check that the dialog shows what the
// engine and the result formatting give for what the dialog holds at that moment.
//
// The seed and the number of actions are fixed; MENSURATOR_STRESS_SEED and
// MENSURATOR_STRESS_ACTIONS override them for longer runs by hand. Shard MENSURATOR_STRESS_SHARD of
// MENSURATOR_STRESS_SHARDS, run beside the others, takes its share of the actions and a seed of
// its own, mixed from the seed and its number.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/conversion.h"
#include "engine/converter.h"
#include "process_driver.h"
#include "program_ids.h"
#include "tables/unit_tables.h"
#include "ui/result_format.h"

namespace {

using driver::ChildProcess;
using namespace program_ids;

// The program under test: beside the tests' folder, where the build puts it.
const std::string kProgram = driver::TestFile("MENSURATOR_EXE", "../mensurator.exe");

constexpr unsigned long kDefaultSeed = 20240611;
constexpr unsigned long kDefaultActions = 10000;

constexpr std::size_t kValueLimit = 25;
constexpr int kMinDecimals = 0;
constexpr int kMaxDecimals = 15;
constexpr int kInitialDecimals = 2;

constexpr std::size_t kHistoryLength = 20;
// Past this many mismatches a run has said what it can; the rest would repeat them.
constexpr int kMaxMismatches = 5;
const UINT kSendTimeoutMs = 5000;

// An action's messages are posted or sent; the program's answer to them may post the
// recalculation, which posts nothing further (the keys posted here are taken by the dialog's
// keyboard handling or by the up-down control, and are not translated into characters). So two
// settling rounds suffice, each waiting until a marker posted behind everything so far has come
// through.
constexpr int kSettleRounds = 2;
// Markers are text limits given to the scientific result field, which only the program writes
// (its texts are set whole, and a set text ignores the limit); all lie above any result length.
constexpr WPARAM kFirstMarker = 40000;
constexpr WPARAM kMarkerSpan = 10000;

Converter* const kTables[] = {&LengthConverter, &AreaConverter, &MassConverter, &VolumeConverter,
                              &TemperatureConverter};
constexpr int kCategoryCount = sizeof kTables / sizeof kTables[0];
const char* const kCategoryNames[] = {"Length", "Area", "Mass", "Volume", "Temperature"};

// --- Texts --------------------------------------------------------------------------------------

// Bytes as C string literal text, so that control and non-ASCII bytes can be seen in a report.
std::string Quoted(const std::string& bytes) {
  std::string out = "\"";
  for (const unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    }
  }
  return out + "\"";
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out = "{";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + Quoted(items[i]);
  return out + "}";
}

// Reads an unsigned number from the environment; false with a reason when it is set but not a
// number, so that a mistyped override does not silently run the default.
bool ReadSetting(const char* name, unsigned long fallback, unsigned long* value,
                 std::string* error) {
  char text[64];
  const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
  if (length == 0) {
    *value = fallback;
    return true;
  }
  char* end = nullptr;
  *value = std::strtoul(text, &end, 10);
  if (length >= sizeof text || end == text || *end != '\0') {
    *error = std::string(name) + " is not a number: " + Quoted(length < sizeof text ? text : "");
    return false;
  }
  return true;
}

// --- Randomness ---------------------------------------------------------------------------------

// Seed and shard mixed (splitmix64's finaliser): with seed + shard, shard 1 of seed S would repeat
// shard 0 of seed S + 1.
std::uint32_t ShardSeed(unsigned long seed, unsigned long shard) {
  std::uint64_t z = (std::uint64_t{seed} << 32 | shard) + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return static_cast<std::uint32_t>(z ^ (z >> 31));
}

// mt19937's sequence is fixed by the standard, and the reductions below are our own, so a seed
// means the same actions with every compiler.
class Random {
 public:
  explicit Random(unsigned long seed) : engine_(static_cast<std::uint32_t>(seed)) {}
  unsigned Below(unsigned n) { return static_cast<unsigned>(engine_() % n); }
  int Between(int low, int high) { return low + static_cast<int>(Below(high - low + 1)); }
  bool OneIn(unsigned n) { return Below(n) == 0; }
  char Pick(const char* chars) { return chars[Below(static_cast<unsigned>(std::strlen(chars)))]; }
  char AnyByte() { return static_cast<char>(Between(1, 255)); }

 private:
  std::mt19937 engine_;
};

std::string Digits(Random& random, int count) {
  std::string digits;
  for (int i = 0; i < count; ++i) digits += random.Pick("0123456789");
  return digits;
}

// A text that is mostly a number in plain or exponent notation: sometimes with blanks or junk
// around it, sometimes with exponents that overflow, underflow or give subnormals.
std::string NumberText(Random& random) {
  std::string text;
  if (random.OneIn(10)) text += random.Pick(" \t");
  if (random.OneIn(3)) text += random.Pick("+-");
  text += Digits(random, random.OneIn(8) ? random.Between(10, 30) : random.Between(0, 4));
  if (random.OneIn(2)) text += "." + Digits(random, random.Between(0, 6));
  if (random.OneIn(3)) {
    text += random.Pick("eE");
    if (random.OneIn(2)) text += random.Pick("+-");
    switch (random.Below(4)) {
      case 0:
        text += std::to_string(random.Between(290, 330));
        break;
      case 1:
        text += std::to_string(random.Between(300, 340));
        break;
      default:
        text += Digits(random, random.Between(0, 3));
    }
  }
  if (random.OneIn(10)) text += random.OneIn(2) ? ' ' : random.AnyByte();
  return text;
}

// A keystroke in the value field: mostly what numbers are made of, also any byte at all,
// backspace and the control characters that edit fields treat as copy, cut, paste and undo.
char ValueKey(Random& random) {
  switch (random.Below(20)) {
    case 0:
    case 1:
      return '\b';
    case 2:
      return random.Pick("\x03\x16\x18\x1a");
    case 3:
    case 4:
    case 5:
    case 6:
      return random.AnyByte();
    case 7:
    case 8:
    case 9:
      return random.Pick(".eE+- ");
    default:
      return random.Pick("0123456789");
  }
}

// A keystroke in the decimals field: digits that may or may not make a valid position, and
// anything else.
char DecimalsKey(Random& random) {
  switch (random.Below(10)) {
    case 0:
    case 1:
      return '\b';
    case 2:
      return random.Pick("+- ,");
    case 3:
    case 4:
      return random.AnyByte();
    default:
      return random.Pick("0123456789");
  }
}

std::string PasteText(Random& random) {
  std::string text;
  switch (random.Below(10)) {
    case 0:
    case 1:
    case 2:
      for (int i = random.Between(0, 60); i > 0; --i) text += random.AnyByte();
      return text;
    case 3:
      for (int i = random.Between(26, 300); i > 0; --i) {
        text += random.OneIn(3) ? random.AnyByte() : random.Pick("0123456789");
      }
      return text;
    case 4:
    case 5:
      text = NumberText(random);
      for (int i = random.Between(1, 4); i > 0; --i) text += random.AnyByte();
      return text;
    default:
      return NumberText(random);
  }
}

// --- Talking to the program ---------------------------------------------------------------------

// Answers the messages sent to the test's own windows while it waits: the program's edit field
// sends one to the clipboard's previous owner when a typed Ctrl+C or Ctrl+X takes the clipboard.
void AnswerSentMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

bool WaitAnswering(const std::function<bool()>& done, DWORD timeoutMs = driver::kTimeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    AnswerSentMessages();
  }
}

// A sent message with a time limit; false when the window did not answer in time.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  const bool answered = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                            kSendTimeoutMs, &answer) != 0;
  if (result != nullptr) *result = static_cast<LRESULT>(answer);
  return answered;
}

// A window's text in 8-bit form, asked in the wide form so that it crosses the process boundary
// intact, and converted as the program's own 8-bit calls convert it. One message, where
// driver::Text asks the length first: a check reads several texts after every action.
std::string ReadText(HWND window) {
  constexpr int kLongest = 4096;
  wchar_t text[kLongest];
  LRESULT length = 0;
  if (!Send(window, WM_GETTEXT, kLongest, reinterpret_cast<LPARAM>(text), &length) || length <= 0) {
    return std::string();
  }
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &narrow[0], size, nullptr,
                      nullptr);
  return narrow;
}

// Sends a character as a byte of the system code page; the window system turns it into the
// wide character that the field holds, as it does for a program that works in 8-bit text.
bool SendByte(HWND window, UINT message, char byte) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, message, static_cast<unsigned char>(byte), 1, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &answer) != 0;
}

// --- The model ----------------------------------------------------------------------------------

// What the test knows the dialog must hold, kept from the actions alone.
struct Model {
  int category = 0;
  int source = 0;
  int target = 0;
  // The up-down control's position: what it last read as a valid position, or was stepped to.
  int position = kInitialDecimals;
  // The decimals of the last recalculation, which the results must show: typing into the
  // decimals field requests none, so the results may lag behind the position.
  int decimals = kInitialDecimals;
};

// What the dialog shows after an action.
struct Observed {
  std::string value;
  std::string decimalsText;
  std::string result;
  std::string resultSci;
  LRESULT category = CB_ERR;
  LRESULT source = CB_ERR;
  LRESULT target = CB_ERR;
  LRESULT position = -1;
};

// What one action did, as far as the checks need to know.
struct Action {
  std::string description;
  bool touchesValue = false;     // may change the value text, and then recalculates
  bool touchesDecimals = false;  // may change the decimals text, never recalculates
  bool recalculates = false;     // always requests a recalculation
  int step = 0;                  // +1 or -1 for a step of the up-down control
  bool fillsSources = false;     // the source list is filled anew and must be checked
  bool fillsTargets = false;     // the target list is filled anew and must be checked
  std::string fault;             // what went wrong while the action ran, if anything
};

int Wrapped(int position) {
  if (position > kMaxDecimals) return kMinDecimals;
  if (position < kMinDecimals) return kMaxDecimals;
  return position;
}

// A decimals text that every reading of the up-down control takes as this position: plain
// digits without a leading zero, within the range.
bool PlainPosition(const std::string& text, int* position) {
  if (text.empty() || text.size() > 2 || (text.size() == 2 && text[0] == '0')) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *position = std::atoi(text.c_str());
  return *position <= kMaxDecimals;
}

// --- The run ------------------------------------------------------------------------------------

class StressRun {
 public:
  StressRun(ChildProcess& program, HWND dialog, HWND mainWindow, unsigned long seed)
      : program_(program), dialog_(dialog), mainWindow_(mainWindow), random_(seed) {}

  // The check of the state right after start-up, before the first action.
  bool Start() {
    clipboardOwner_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (clipboardOwner_ == nullptr) {
      ADD_FAILURE() << "no window to own the clipboard: error " << GetLastError();
      return false;
    }
    const std::vector<std::string> categories(std::begin(kCategoryNames), std::end(kCategoryNames));
    // A start slowed by a busy machine may leave the first questions unanswered for a while.
    std::vector<std::string> items;
    driver::WaitUntil(
        [&] { return (items = driver::ComboItems(Item(kCategoryId))) == categories; });
    if (items != categories) {
      ADD_FAILURE() << "category list: expected " << Joined(categories) << ", actual "
                    << Joined(items);
      return false;
    }
    Action start;
    start.description = "start-up";
    start.recalculates = true;
    start.fillsSources = true;
    start.fillsTargets = true;
    last_.value = "0.0";
    last_.decimalsText = std::to_string(kInitialDecimals);
    return Settle() && Check(start);
  }

  ~StressRun() {
    if (clipboardOwner_ != nullptr) DestroyWindow(clipboardOwner_);
  }

  // One random action and its check; false when the run must stop.
  bool Step() {
    ++actionCount_;
    const Action action = RandomAction();
    Remember(action.description);
    if (!Settle()) return Stop("the program did not deal with the action within the time limit");
    return Check(action);
  }

  int ActionCount() const { return actionCount_; }
  int AboutCount() const { return aboutCount_; }
  int ShownCount() const { return shownCount_; }
  int EmptyCount() const { return emptyCount_; }

 private:
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  void Remember(const std::string& description) {
    history_.push_back("#" + std::to_string(actionCount_) + " " + description);
    if (history_.size() > kHistoryLength) history_.pop_front();
  }

  std::string History() const {
    std::string text = "last actions:\n";
    for (const std::string& entry : history_) text += "  " + entry + "\n";
    return text;
  }

  bool Stop(const std::string& why) {
    ADD_FAILURE() << "after action #" << actionCount_ << ": " << why << "\n" << History();
    return false;
  }

  // Waits until the program has dealt with every message the last action set off.
  bool Settle() {
    const HWND markerField = Item(kResultSciId);
    for (int round = 0; round < kSettleRounds; ++round) {
      const WPARAM marker = kFirstMarker + (markerCount_++ % kMarkerSpan);
      if (!PostMessageW(markerField, EM_LIMITTEXT, marker, 0)) return false;
      if (!WaitForMarker(markerField, marker)) return false;
    }
    return true;
  }

  // Each question waits for the program's thread to take it, which it does between two posted
  // messages; so asking again at once paces itself, and a pause is only needed when the program
  // does not answer at all.
  bool WaitForMarker(HWND markerField, WPARAM marker) {
    const DWORD start = GetTickCount();
    for (;;) {
      LRESULT limit = 0;
      if (!Send(markerField, EM_GETLIMITTEXT, 0, 0, &limit)) return false;
      if (static_cast<WPARAM>(limit) == marker) return true;
      if (GetTickCount() - start >= driver::kTimeoutMs) return false;
      AnswerSentMessages();
      Sleep(0);
    }
  }

  // --- Actions ---

  Action RandomAction() {
    const unsigned roll = random_.Below(1000);
    if (roll < 240) return TypeIntoValue();
    if (roll < 400) return TypeNumber();
    if (roll < 500) return Paste();
    if (roll < 530) return SelectInValue();
    if (roll < 580) return SelectCategory();
    if (roll < 650) return SelectSource();
    if (roll < 720) return SelectTarget();
    if (roll < 790) return StepByKey();
    if (roll < 830) return StepByClick();
    if (roll < 920) return TypeIntoDecimals();
    if (roll < 997) return EscapeOrEnter();
    return AboutBox();
  }

  // Posted keystrokes go through the program's message loop as typed keys do; sent ones reach
  // the edit field's procedure directly.
  void Type(HWND field, const std::string& keys, bool sent) {
    for (const char key : keys) {
      if (sent) {
        SendByte(field, WM_CHAR, key);
      } else {
        PostMessageA(field, WM_CHAR, static_cast<unsigned char>(key), 1);
      }
    }
  }

  Action TypeIntoValue() {
    // Now and then a run longer than the field admits.
    const int count = random_.OneIn(20) ? random_.Between(26, 40) : random_.Between(1, 4);
    std::string keys;
    for (int i = 0; i < count; ++i) keys += ValueKey(random_);
    const bool sent = random_.OneIn(4);
    Type(Item(kValueId), keys, sent);
    Action action;
    action.description =
        std::string("type into value (") + (sent ? "sent" : "posted") + ") " + Quoted(keys);
    action.touchesValue = true;
    return action;
  }

  // A whole number typed over the selected text, as a user replaces a value.
  Action TypeNumber() {
    const std::string keys = NumberText(random_);
    Send(Item(kValueId), EM_SETSEL, 0, -1);
    Type(Item(kValueId), keys, false);
    Action action;
    action.description = "select all and type into value " + Quoted(keys);
    action.touchesValue = true;
    return action;
  }

  Action Paste() {
    std::string description = "paste ";
    if (random_.OneIn(2)) {
      const int start = random_.Between(-1, 30);
      const int end = random_.Between(-1, 30);
      Send(Item(kValueId), EM_SETSEL, start, end);
      description += "over selection (" + std::to_string(start) + ", " + std::to_string(end) + ") ";
    }
    const std::string text = PasteText(random_);
    description += Quoted(text);
    Action action;
    if (!PutOnClipboard(text)) action.fault = "the clipboard did not take the text to paste";
    Send(Item(kValueId), WM_PASTE, 0, 0);
    action.description = description;
    action.touchesValue = true;
    return action;
  }

  bool PutOnClipboard(const std::string& text) {
    if (!WaitAnswering([&] { return OpenClipboard(clipboardOwner_) != FALSE; })) return false;
    EmptyClipboard();
    bool stored = false;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory != nullptr) {
      std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
      GlobalUnlock(memory);
      stored = SetClipboardData(CF_TEXT, memory) != nullptr;
      if (!stored) GlobalFree(memory);
    }
    CloseClipboard();
    return stored;
  }

  Action SelectInValue() {
    const int start = random_.Between(-1, 30);
    const int end = random_.Between(-1, 30);
    Send(Item(kValueId), EM_SETSEL, start, end);
    Action action;
    action.description =
        "select in value (" + std::to_string(start) + ", " + std::to_string(end) + ")";
    return action;
  }

  // A combo box's selection changes as when a user picks an item: the list does not notify a
  // selection set by message, so the notification is sent to the dialog as the list would.
  void PickInList(int id, int position) {
    const HWND list = Item(id);
    Send(list, CB_SETCURSEL, position, 0);
    Send(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }

  Action SelectCategory() {
    const int category = random_.Between(0, kCategoryCount - 1);
    PickInList(kCategoryId, category);
    model_.category = category;
    model_.source = 0;
    model_.target = 0;
    Action action;
    action.description = std::string("select category ") + kCategoryNames[category];
    action.recalculates = true;
    action.fillsSources = true;
    action.fillsTargets = true;
    return action;
  }

  Action SelectSource() {
    const std::vector<std::string> names = kTables[model_.category]->FromUnitNames();
    const int source = random_.Between(0, static_cast<int>(names.size()) - 1);
    PickInList(kFromUnitId, source);
    model_.source = source;
    model_.target = 0;
    Action action;
    action.description = "select source " + names[source];
    action.recalculates = true;
    action.fillsTargets = true;
    return action;
  }

  Action SelectTarget() {
    const Converter& table = *kTables[model_.category];
    const std::vector<std::string> names = table.ToUnitNames(table.FromUnitIdAt(model_.source));
    Action action;
    action.recalculates = true;
    if (names.empty()) {
      action.description = "select target: none to select";
      return action;
    }
    const int target = random_.Between(0, static_cast<int>(names.size()) - 1);
    PickInList(kToUnitId, target);
    model_.target = target;
    action.description = "select target " + names[target];
    return action;
  }

  Action StepByKey() {
    const bool up = random_.OneIn(2);
    driver::PostKey(Item(kDecimalsId), up ? VK_UP : VK_DOWN);
    Action action;
    action.description = up ? "up arrow key in decimals" : "down arrow key in decimals";
    action.step = up ? 1 : -1;
    action.recalculates = true;
    return action;
  }

  Action StepByClick() {
    const bool up = random_.OneIn(2);
    const HWND spin = Item(kSpinId);
    RECT area{};
    GetClientRect(spin, &area);
    const LPARAM point =
        MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom - area.bottom / 4);
    PostMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(spin, WM_LBUTTONUP, 0, point);
    // The pointer moves on, as a user's does. Wine's up-down control would otherwise think it
    // still hovers over the arrows and take a further step on its own after the next key press.
    PostMessageW(spin, WM_MOUSELEAVE, 0, 0);
    Action action;
    action.description = up ? "click on the up arrow" : "click on the down arrow";
    action.step = up ? 1 : -1;
    action.recalculates = true;
    return action;
  }

  Action TypeIntoDecimals() {
    std::string description = "type into decimals ";
    if (random_.OneIn(3)) {
      Send(Item(kDecimalsId), EM_SETSEL, 0, -1);
      description = "select all and type into decimals ";
    }
    const int count = random_.OneIn(10) ? random_.Between(5, 25) : random_.Between(1, 3);
    std::string keys;
    for (int i = 0; i < count; ++i) keys += DecimalsKey(random_);
    Type(Item(kDecimalsId), keys, false);
    Action action;
    action.description = description + Quoted(keys);
    action.touchesDecimals = true;
    return action;
  }

  // The key goes to the control that has the focus, as the keyboard would deliver it.
  Action EscapeOrEnter() {
    const bool escape = random_.OneIn(2);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    HWND focus = nullptr;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &thread)) {
      focus = thread.hwndFocus;
    }
    // Enter on the Close button would end the program as it should; no action here moves the
    // focus there, so the value field stands in for it and for a focus outside the dialog.
    if (focus == nullptr || GetParent(focus) != dialog_ || GetDlgCtrlID(focus) == kCloseId) {
      focus = Item(kValueId);
    }
    driver::PostKey(focus, escape ? VK_ESCAPE : VK_RETURN);
    Action action;
    action.description = std::string(escape ? "Escape" : "Enter") + " in control " +
                         std::to_string(GetDlgCtrlID(focus));
    return action;
  }

  // The About box runs its own message loop; a keystroke typed into the converter meanwhile
  // must be dealt with by that loop as well.
  Action AboutBox() {
    ++aboutCount_;
    Action action;
    action.description = "About box";
    PostMessageW(mainWindow_, WM_COMMAND, kAboutCommand, 0);
    // The box exists before its controls do; it shows once its set-up is done and its own
    // message loop runs.
    HWND box = nullptr;
    if (!WaitAnswering([&] {
          box = program_.FindTopLevel("#32770", "About");
          return box != nullptr && IsWindowVisible(box);
        })) {
      action.fault = "the About box did not show";
      return action;
    }
    if (GetWindow(box, GW_OWNER) != mainWindow_) {
      action.fault = "the About box is not owned by the main window";
    }
    if (random_.OneIn(2)) {
      const char key = random_.Pick("0123456789");
      PostMessageA(Item(kValueId), WM_CHAR, static_cast<unsigned char>(key), 1);
      action.description += ", typed " + Quoted(std::string(1, key)) + " into value";
      action.touchesValue = true;
      if (!Settle()) action.fault = "the keystroke was not dealt with while the About box was open";
    }
    const HWND ok = GetDlgItem(box, IDOK);
    switch (random_.Below(4)) {
      case 0:
        PostMessageW(ok, BM_CLICK, 0, 0);
        action.description += ", closed by OK";
        break;
      case 1:
        driver::PostKey(ok, VK_RETURN);
        action.description += ", closed by Enter";
        break;
      case 2:
        driver::PostKey(ok, VK_ESCAPE);
        action.description += ", closed by Escape";
        break;
      default:
        PostMessageW(box, WM_CLOSE, 0, 0);
        action.description += ", closed by WM_CLOSE";
    }
    if (!WaitAnswering([&] { return !IsWindow(box); })) action.fault = "the About box stayed open";
    return action;
  }

  // --- Checks ---

  Observed Observe() const {
    Observed now;
    now.value = ReadText(Item(kValueId));
    now.decimalsText = ReadText(Item(kDecimalsId));
    now.result = ReadText(Item(kResultId));
    now.resultSci = ReadText(Item(kResultSciId));
    now.category = driver::ComboSelection(Item(kCategoryId));
    now.source = driver::ComboSelection(Item(kFromUnitId));
    now.target = driver::ComboSelection(Item(kToUnitId));
    // Asked without an error flag, whose pointer could not cross the process boundary.
    if (!Send(Item(kSpinId), UDM_GETPOS32, 0, 0, &now.position)) now.position = -1;
    return now;
  }

  struct Results {
    std::string plain;
    std::string scientific;
    std::string context;
  };

  // What the engine gives for the dialog's value text and units, with the given decimals.
  Results Expect(const Observed& now, int decimals) const {
    Converter* const table = kTables[now.category];
    CurrentConverter = table;
    const std::int32_t fromId = table->FromUnitIdAt(static_cast<std::int32_t>(now.source));
    const std::int32_t toId = table->ToUnitIdAt(fromId, static_cast<std::int32_t>(now.target));
    const ConversionResult result = Convert(fromId, toId, now.value.c_str());
    Results expected;
    expected.context = "value " + Quoted(now.value) + ", " + kCategoryNames[now.category] + ", " +
                       table->UnitName(fromId) + " to " + table->UnitName(toId) + ", " +
                       std::to_string(decimals) + " decimals, " +
                       (result.failed ? "fails: " + result.message : "converts");
    if (!result.failed) {
      expected.plain = FormatFixed(result.value, decimals);
      expected.scientific = FormatScientific(result.value, decimals);
    }
    return expected;
  }

  static bool Shows(const Observed& now, const Results& expected) {
    return now.result == expected.plain && now.resultSci == expected.scientific;
  }

  // For a report: which decimals, if any, the results shown belong to.
  std::string ShownDecimals(const Observed& now) const {
    for (int decimals = kMinDecimals; decimals <= kMaxDecimals; ++decimals) {
      if (Shows(now, Expect(now, decimals))) {
        return "; the results shown are those of " + std::to_string(decimals) + " decimals";
      }
    }
    return "";
  }

  template <typename T>
  static void Compare(std::vector<std::string>& problems, const std::string& what,
                      const T& expected, const T& actual) {
    if (expected == actual) return;
    std::ostringstream line;
    line << what << ": expected " << expected << ", actual " << actual;
    problems.push_back(line.str());
  }

  void CheckLists(const Action& action, const Observed& now,
                  std::vector<std::string>& problems) const {
    const Converter& table = *kTables[now.category];
    if (action.fillsSources) {
      const std::vector<std::string> sources = table.FromUnitNames();
      const std::vector<std::string> sourceItems = driver::ComboItems(Item(kFromUnitId));
      if (sourceItems != sources) {
        problems.push_back("source list: expected " + Joined(sources) + ", actual " +
                           Joined(sourceItems));
      }
    }
    if (!action.fillsTargets) return;
    const std::vector<std::string> targets =
        table.ToUnitNames(table.FromUnitIdAt(static_cast<std::int32_t>(now.source)));
    const std::vector<std::string> targetItems = driver::ComboItems(Item(kToUnitId));
    if (targetItems != targets) {
      problems.push_back("target list: expected " + Joined(targets) + ", actual " +
                         Joined(targetItems));
    }
  }

  // The decimals: the up-down control's position, checked against a step or a plain text.
  void CheckPosition(const Action& action, const Observed& now,
                     std::vector<std::string>& problems) {
    if (action.step != 0) {
      const int stepped = Wrapped(model_.position + action.step);
      // The control leaves a text that compares equal to the new one as it is; such a comparison
      // ignores case and soft hyphens, so "\xAD3" stays after a step to 3.
      const std::string steppedText = std::to_string(stepped);
      if (lstrcmpiA(steppedText.c_str(), now.decimalsText.c_str()) != 0) {
        problems.push_back("decimals text after a step from " + std::to_string(model_.position) +
                           ": expected " + Quoted(steppedText) + ", actual " +
                           Quoted(now.decimalsText));
      }
      Compare(problems, "up-down position after a step", static_cast<LRESULT>(stepped),
              now.position);
    }
    int plain = 0;
    if (PlainPosition(now.decimalsText, &plain)) {
      Compare(problems, "up-down position for decimals text " + Quoted(now.decimalsText),
              static_cast<LRESULT>(plain), now.position);
    }
    // A position out of range would be the control's own fault; the dialog keeps the last
    // valid one then, and so does the model.
    if (now.position >= kMinDecimals && now.position <= kMaxDecimals) {
      model_.position = static_cast<int>(now.position);
    }
  }

  bool Check(const Action& action) {
    if (!program_.Running()) return Stop("the program ended");
    if (!IsWindow(dialog_)) return Stop("the converter dialog is gone");
    AnswerSentMessages();

    const Observed now = Observe();
    std::vector<std::string> problems;
    if (!action.fault.empty()) problems.push_back(action.fault);
    Compare(problems, "category", static_cast<LRESULT>(model_.category), now.category);
    Compare(problems, "source position", static_cast<LRESULT>(model_.source), now.source);
    Compare(problems, "target position", static_cast<LRESULT>(model_.target), now.target);
    if (now.value.size() > kValueLimit) {
      problems.push_back("value text longer than " + std::to_string(kValueLimit) + ": " +
                         Quoted(now.value));
    }
    if (!action.touchesValue) {
      Compare(problems, "value text, not typed into", Quoted(last_.value), Quoted(now.value));
    }
    if (!action.touchesDecimals && action.step == 0) {
      Compare(problems, "decimals text, not typed into", Quoted(last_.decimalsText),
              Quoted(now.decimalsText));
    }
    CheckPosition(action, now, problems);

    const bool valueChanged = now.value != last_.value;
    if (action.recalculates || (action.touchesValue && valueChanged)) {
      model_.decimals = model_.position;
    }
    const bool selectionsKnown =
        now.category >= 0 && now.category < kCategoryCount && now.source >= 0 && now.target >= 0;
    if (selectionsKnown) {
      CheckLists(action, now, problems);
      const Results expected = Expect(now, model_.decimals);
      bool shown = Shows(now, expected);
      // Editing that leaves the value text as it was may or may not have notified the dialog,
      // so the results may show either the older decimals or the current position.
      if (!shown && action.touchesValue && !valueChanged &&
          Shows(now, Expect(now, model_.position))) {
        model_.decimals = model_.position;
        shown = true;
      }
      if (!shown) {
        problems.push_back(
            "results for " + expected.context + ": expected " + Quoted(expected.plain) + " and " +
            Quoted(expected.scientific) + ", actual " + Quoted(now.result) + " and " +
            Quoted(now.resultSci) + " (up-down position " + std::to_string(now.position) +
            ", decimals text " + Quoted(now.decimalsText) + ")" + ShownDecimals(now));
      }
      ++(expected.plain.empty() ? emptyCount_ : shownCount_);
    }
    last_ = now;
    if (problems.empty()) return true;

    std::string report;
    for (const std::string& problem : problems) report += "  " + problem + "\n";
    ADD_FAILURE() << "after action #" << actionCount_ << ":\n" << report << History();
    // Carry on from what the dialog shows, so that one fault is reported once.
    if (selectionsKnown) {
      model_.category = static_cast<int>(now.category);
      model_.source = static_cast<int>(now.source);
      model_.target = static_cast<int>(now.target);
    }
    model_.decimals = model_.position;
    return ++mismatchCount_ < kMaxMismatches;
  }

  ChildProcess& program_;
  HWND dialog_;
  HWND mainWindow_;
  HWND clipboardOwner_ = nullptr;
  Random random_;
  Model model_;
  Observed last_;
  std::deque<std::string> history_;
  int actionCount_ = 0;
  int mismatchCount_ = 0;
  int aboutCount_ = 0;
  int shownCount_ = 0;
  int emptyCount_ = 0;
  WPARAM markerCount_ = 0;
};

TEST(StressTest, RandomUserActionsKeepTheResultsRight) {
  unsigned long seed = 0;
  unsigned long actions = 0;
  std::string error;
  ASSERT_TRUE(ReadSetting("MENSURATOR_STRESS_SEED", kDefaultSeed, &seed, &error)) << error;
  ASSERT_TRUE(ReadSetting("MENSURATOR_STRESS_ACTIONS", kDefaultActions, &actions, &error)) << error;
  unsigned long shard = 0;
  unsigned long shards = 1;
  ASSERT_TRUE(ReadSetting("MENSURATOR_STRESS_SHARDS", 1, &shards, &error) &&
              ReadSetting("MENSURATOR_STRESS_SHARD", 0, &shard, &error) && shard < shards)
      << error << " (the shard must be below the number of shards)";
  actions = actions / shards + (shard < actions % shards ? 1 : 0);
  std::cout << "stress: seed " << seed << ", shard " << shard << " of " << shards << ", " << actions
            << " actions" << std::endl;

  ChildProcess program(std::string("\"") + kProgram + "\"");
  ASSERT_TRUE(program.Started()) << kProgram << ": error " << program.StartError();
  const HWND dialog = program.WaitForTopLevel("#32770", "Mensurator");
  ASSERT_NE(nullptr, dialog) << "no converter dialog";
  // The shell shows the dialog once its set-up has run.
  ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }))
      << "the converter dialog was not shown";
  const HWND mainWindow = program.FindTopLevel("MENSURATOR", "Mensurator");
  ASSERT_NE(nullptr, mainWindow) << "no main window";

  const DWORD start = GetTickCount();
  StressRun run(program, dialog, mainWindow, ShardSeed(seed, shard));
  if (run.Start()) {
    while (static_cast<unsigned long>(run.ActionCount()) < actions && run.Step()) {
    }
  }
  const double seconds = (GetTickCount() - start) / 1000.0;
  std::cout << "stress: " << run.ActionCount() << " actions in " << seconds << " s ("
            << run.AboutCount() << " About boxes); results shown " << run.ShownCount()
            << " times, empty " << run.EmptyCount() << " times" << std::endl;
  EXPECT_EQ(actions, static_cast<unsigned long>(run.ActionCount())) << "the run stopped early";

  // After all that, Close still ends the program in order.
  ASSERT_TRUE(program.Running()) << "the program ended during the run";
  PostMessageW(GetDlgItem(dialog, kCloseId), BM_CLICK, 0, 0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(program.WaitForExit(&exitCode)) << "still running after Close";
  EXPECT_EQ(0u, exitCode);
}

}  // namespace
