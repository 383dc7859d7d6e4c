// Recalculation latency of a running Mensurator under Wine: the time from a new value text
// (WM_SETTEXT to the value field, from this process) until both result fields hold the new
// results. The floor program takes the same messages without recalculating, which gives the
// cost of the messaging itself. Prints a markdown table row ("|") and notes ("- ").
//   recalc_timer FLOOR.exe MENSURATOR.exe [CHANGES]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/win32/launch.h"
#include "bench/win32/summary.h"

namespace {

using measure::Launched;
using measure::Summary;

constexpr int kValueId = 1001;
constexpr int kResultId = 1003;
constexpr int kCloseId = 1004;
constexpr int kResultSciId = 1009;
constexpr int kDefaultChanges = 2000;
// Each program runs alone, in blocks of changes, the two taking turns: a dialog that is not
// the active window has no focused field and no caret to move, which makes setting its text
// cheaper, so the two must never run side by side.
constexpr int kChangesPerBlock = 250;
constexpr int kWarmUpChanges = 10;
// Lets the program paint what the last change left before the next change is timed, so that
// one change does not wait for the drawing of the one before.
constexpr DWORD kPauseMs = 2;

// Two values whose results differ in both fields, for the units the dialog opens with
// (Angstrom to Centimeter, factor 1e-8) and its 2 decimals.
struct Change {
  const wchar_t* value;
  const wchar_t* fixed;
  const wchar_t* scientific;
};
constexpr Change kChanges[] = {{L"300000000", L"3.00", L"3.00e+000"},
                               {L"700000000", L"7.00", L"7.00e+000"}};

struct Subject {
  const char* name = "";
  std::wstring path;
  // The floor never recalculates: its result fields stay empty.
  bool recalculates = false;
  std::vector<double> micros;
  // The WM_SETTEXT round trip alone, which the results cannot beat.
  std::vector<double> setMicros;
  long long reads = 0;
  int changes = 0;
  int blocks = 0;
  int focusedBlocks = 0;
};

struct Dialog {
  HWND window;
  HWND value;
  HWND fixed;
  HWND scientific;
};

bool TimeChange(Subject* subject, const Dialog& dialog, const Change& change, double* micros,
                double* setMicros) {
  const std::wstring fixed = subject->recalculates ? change.fixed : L"";
  const std::wstring scientific = subject->recalculates ? change.scientific : L"";
  const double start = measure::Now();
  if (!measure::SetText(dialog.value, change.value)) return false;
  *setMicros = (measure::Now() - start) * 1e6;
  std::wstring seenFixed, seenScientific;
  for (;;) {
    if (!measure::ReadText(dialog.fixed, &seenFixed) ||
        !measure::ReadText(dialog.scientific, &seenScientific)) {
      return false;
    }
    ++subject->reads;
    if (seenFixed == fixed && seenScientific == scientific) break;
    if (measure::Now() - start > measure::kTimeLimitSeconds) {
      std::fprintf(stderr, "%s: results \"%s\", \"%s\" after \"%s\"\n", subject->name,
                   measure::Narrow(seenFixed).c_str(), measure::Narrow(seenScientific).c_str(),
                   measure::Narrow(change.value).c_str());
      return false;
    }
  }
  *micros = (measure::Now() - start) * 1e6;
  return true;
}

bool ValueFieldHasFocus(const Dialog& dialog) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  return GetGUIThreadInfo(GetWindowThreadProcessId(dialog.window, nullptr), &thread) &&
         thread.hwndFocus == dialog.value;
}

bool RunBlock(Subject* subject, int changes) {
  Launched program(subject->path);
  Dialog dialog{program.WaitForVisibleDialog(L"Mensurator"), nullptr, nullptr, nullptr};
  if (dialog.window == nullptr) {
    std::fprintf(stderr, "%s: no visible dialog\n", subject->name);
    return false;
  }
  dialog.value = GetDlgItem(dialog.window, kValueId);
  dialog.fixed = GetDlgItem(dialog.window, kResultId);
  dialog.scientific = GetDlgItem(dialog.window, kResultSciId);
  std::wstring seen;
  if (!measure::WaitForText(dialog.fixed, subject->recalculates ? L"0.00" : L"", &seen)) {
    std::fprintf(stderr, "%s: first result \"%s\"\n", subject->name, measure::Narrow(seen).c_str());
    return false;
  }
  program.Settle();
  ++subject->blocks;
  if (ValueFieldHasFocus(dialog)) ++subject->focusedBlocks;

  for (int i = 0; i < kWarmUpChanges + changes; ++i) {
    Sleep(kPauseMs);
    double micros = 0, setMicros = 0;
    if (!TimeChange(subject, dialog, kChanges[i % 2], &micros, &setMicros)) return false;
    ++subject->changes;
    if (i < kWarmUpChanges) continue;
    subject->micros.push_back(micros);
    subject->setMicros.push_back(setMicros);
  }

  DWORD exitCode = 1;
  if (!subject->recalculates) return program.Terminate(&exitCode);
  measure::PostButtonClick(dialog.window, kCloseId);
  if (!program.WaitForExit(&exitCode) || exitCode != 0) {
    std::fprintf(stderr, "%s: no orderly end after Close\n", subject->name);
    return false;
  }
  return true;
}

std::string Cell(const Summary& s) {
  char cell[128];
  std::snprintf(cell, sizeof cell, "%.0f / %.0f (p10 %.0f to p90 %.0f)", s.mean, s.median, s.p10,
                s.p90);
  return cell;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: recalc_timer FLOOR.exe MENSURATOR.exe [CHANGES]\n");
    return 2;
  }
  Subject floor;
  floor.name = "floor";
  floor.path = measure::Widen(argv[1]);
  floor.recalculates = false;
  Subject program;
  program.name = "mensurator";
  program.path = measure::Widen(argv[2]);
  program.recalculates = true;
  const int changes = argc > 3 ? std::atoi(argv[3]) : kDefaultChanges;

  for (int done = 0, block = 0; done < changes; done += kChangesPerBlock, ++block) {
    const int size = changes - done < kChangesPerBlock ? changes - done : kChangesPerBlock;
    // ABBA order, as for the start-ups.
    Subject* first = block % 2 == 0 ? &floor : &program;
    Subject* second = first == &floor ? &program : &floor;
    if (!RunBlock(first, size) || !RunBlock(second, size)) return 1;
  }

  const Summary f = measure::Summarize(floor.micros);
  const Summary p = measure::Summarize(program.micros);
  std::printf(
      "| Value change to both results shown, us (mean / median of %d changes) | %s | %s "
      "| %.3f |\n",
      changes, Cell(f).c_str(), Cell(p).c_str(), p.median / f.median);
  std::printf(
      "- Recalculation: WM_SETTEXT to the value field, then both result fields read back until "
      "they hold the new results; each program alone and in the foreground (value field "
      "focused in %d of %d blocks; floor %d of %d), in blocks of %d changes, taking turns. The "
      "floor column is the same messaging without a recalculation. Mensurator: median %+.0f us "
      "over the floor; WM_SETTEXT round trip median %.0f us (floor %.0f us); reads per change "
      "%.2f (floor %.2f); slowest change %.0f us (floor %.0f us).\n",
      program.focusedBlocks, program.blocks, floor.focusedBlocks, floor.blocks, kChangesPerBlock,
      p.median - f.median, measure::Summarize(program.setMicros).median,
      measure::Summarize(floor.setMicros).median,
      static_cast<double>(program.reads) / program.changes,
      static_cast<double>(floor.reads) / floor.changes, p.max, f.max);
  return 0;
}
