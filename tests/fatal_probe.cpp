// Test probe for the fatal report: runs the real converter dialog code on one broken dialog or
// bad argument, so that it meets an unrecoverable failure and ends the process, or shows one of
// its own error boxes and goes on.
//   fatal_probe CASE [ERROR_CODE]
// ERROR_CODE is the last error that the probe's refusing combo boxes leave behind, where the
// failing call sets none. Some cases fail inside the C++ runtime instead, in the program's own
// hooks. A probe that gets past its failure returns kNotEnded.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/fatal_error.h"
#include "engine/converter.h"
#include "res/resource_ids.h"
#include "tables/unit_tables.h"
#include "tests/fatal_probe_ids.h"
#include "ui/conv_dialog.h"
#include "ui/unit_lists.h"

// The stack protector's guard (app/stack_guard.cpp).
extern "C" std::uintptr_t __stack_chk_guard;

namespace {

constexpr int kNotEnded = 99;
constexpr int kUsage = 98;
constexpr int kUnseededGuard = 97;
constexpr int kChanged = 96;

// A source position past the end of any unit list.
constexpr std::int32_t kPositionWithoutUnit = 99;

// Where the runtime cases keep what they get, so that the compiler cannot drop their calls.
void* volatile allocation = nullptr;
volatile std::size_t substringLength = 0;
volatile std::size_t overrunLength = 16;
constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
volatile std::size_t halfOfAll = kAll / 2;
// Too much for an alignment of a pointer's size, though not for an alignment of 1 byte.
volatile std::size_t allButSeven = kAll - 7;

WNDPROC comboProc = nullptr;
DWORD probeErrorCode = 0;

LRESULT CALLBACK RefuseSelection(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == CB_SETCURSEL) {
    SetLastError(probeErrorCode);
    return CB_ERR;
  }
  return CallWindowProcA(comboProc, combo, message, wParam, lParam);
}

LRESULT CALLBACK RefuseItems(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == CB_ADDSTRING) {
    SetLastError(probeErrorCode);
    return CB_ERR;
  }
  return CallWindowProcA(comboProc, combo, message, wParam, lParam);
}

// Real combo boxes otherwise, so that the dialog code meets nothing else unusual.
bool RegisterRefusingCombos() {
  WNDCLASSEXA combo{};
  combo.cbSize = sizeof combo;
  if (!GetClassInfoExA(nullptr, "COMBOBOX", &combo)) return false;
  comboProc = combo.lpfnWndProc;
  combo.hInstance = GetModuleHandleA(nullptr);
  combo.style &= ~CS_GLOBALCLASS;

  combo.lpfnWndProc = RefuseSelection;
  combo.lpszClassName = PROBE_NO_SELECTION_COMBO;
  if (!RegisterClassExA(&combo)) return false;
  combo.lpfnWndProc = RefuseItems;
  combo.lpszClassName = PROBE_NO_ITEMS_COMBO;
  return RegisterClassExA(&combo) != 0;
}

HWND CreateConverterDialog(int templateId) {
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                            ConvDlgProc, 0);
}

// The sound dialog, one of its lists brought where no user can bring it (no selection, or a
// sixth category chosen), and the notice of a new selection: the dialog shows its error box, and
// then has changed nothing.
void NoticeSelection(int list, const char* addedName) {
  const HWND dialog = CreateConverterDialog(ID_DLG_CONVERTER);
  if (dialog == nullptr) std::exit(kUsage);
  const HWND combo = GetDlgItem(dialog, list);
  SendMessageA(combo, CB_SETCURSEL,
               addedName == nullptr
                   ? CB_ERR
                   : SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(addedName)),
               0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  if (CurrentConverter != &LengthConverter ||
      SendDlgItemMessageA(dialog, IDC_TO_UNIT, CB_GETCURSEL, 0, 0) != 0) {
    std::exit(kChanged);
  }
}

// Fails again while the first report waits for the user, as a message its box dispatches could.
void CALLBACK FailAgain(HWND, UINT, UINT_PTR, DWORD) { ReportErrorAndExit("Second failure."); }

struct Case {
  const char* name;
  void (*run)();
};

const Case kCases[] = {
    {"no-category", [] { CreateConverterDialog(ID_PROBE_NO_CATEGORY); }},
    {"category-refuses-selection", [] { CreateConverterDialog(ID_PROBE_STUCK_CATEGORY); }},
    {"source-refuses-selection", [] { CreateConverterDialog(ID_PROBE_STUCK_SOURCE); }},
    {"no-target", [] { CreateConverterDialog(ID_PROBE_NO_TARGET); }},
    {"category-without-selection", [] { NoticeSelection(IDC_CATEGORY, nullptr); }},
    {"category-past-the-last", [] { NoticeSelection(IDC_CATEGORY, "Sixth"); }},
    {"source-without-selection", [] { NoticeSelection(IDC_FROM_UNIT, nullptr); }},
    {"target-refuses-names", [] { CreateConverterDialog(ID_PROBE_FULL_TARGET); }},
    // The sound dialog, then a source position that names no unit, so no targets.
    {"source-position-without-unit",
     [] {
       const HWND dialog = CreateConverterDialog(ID_DLG_CONVERTER);
       if (dialog == nullptr) return;
       FillConvertTo(dialog, kPositionWithoutUnit);
     }},
    {"out-of-memory", [] { allocation = ::operator new(std::numeric_limits<std::size_t>::max()); }},
    // The nothrow forms give null for what cannot be had, and the probe goes on.
    {"nothrow-out-of-memory",
     [] {
       allocation = ::operator new(kAll, std::nothrow);
       if (!allocation) allocation = ::operator new[](kAll, std::nothrow);
       if (!allocation) allocation = ::operator new (kAll, std::align_val_t{16}, std::nothrow);
       // The runtime raises an alignment below a pointer's to a pointer's.
       if (!allocation)
         allocation = ::operator new (allButSeven, std::align_val_t{1}, std::nothrow);
       if (allocation) std::exit(kUsage);
     }},
    {"substring-past-end", [] { substringLength = std::string("unit").substr(5).size(); }},
    // A check that names itself in its text rather than as its first argument.
    {"element-past-end", [] { substringLength = std::vector<char>(1).at(overrunLength); }},
    {"array-too-long", [] { allocation = new int[halfOfAll]; }},
    {"optional-without-value", [] { substringLength = std::optional<std::size_t>().value(); }},
    {"failure-during-report",
     [] {
       SetTimer(nullptr, 0, USER_TIMER_MINIMUM, FailAgain);
       SetLastError(probeErrorCode);
       ReportErrorAndExit("First failure.");
     }},
    // Over the stack protector's guard, caught when the function returns; and a fortified copy
    // of more than its destination holds, into a static buffer that no guard watches.
    {"stack-overrun",
     [] {
       volatile char buffer[8];
       for (std::size_t i = 0; i < overrunLength * 4; ++i) buffer[i] = 'x';
       substringLength = buffer[0];
     }},
    {"copy-overrun",
     [] {
       static char buffer[8];
       std::memcpy(buffer, "more than eight letters", overrunLength);
       substringLength = buffer[0];
     }},
    // The guard as the program file holds it, read from a mapping of the file of its own (a
    // second load would give the running module): a start that did not seed it has that value.
    {"guard-seeded",
     [] {
       char path[MAX_PATH];
       GetModuleFileNameA(nullptr, path, sizeof path);
       const HANDLE file =
           CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
       const HANDLE mapping =
           CreateFileMappingA(file, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr);
       const auto* image = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
       if (image == nullptr) std::exit(kUsage);
       const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(&__stack_chk_guard) -
                                     reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
       if (*reinterpret_cast<const std::uintptr_t*>(image + offset) == __stack_chk_guard) {
         std::exit(kUnseededGuard);
       }
     }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return kUsage;
  if (argc > 2) probeErrorCode = std::strtoul(argv[2], nullptr, 0);

  // As the program's entry point does before the dialog exists.
  CurrentConverter = &LengthConverter;
  INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_UPDOWN_CLASS};
  if (!InitCommonControlsEx(&commonControls) || !RegisterRefusingCombos()) return kUsage;

  for (const Case& c : kCases) {
    if (std::strcmp(argv[1], c.name) == 0) {
      c.run();
      return kNotEnded;
    }
  }
  return kUsage;
}
