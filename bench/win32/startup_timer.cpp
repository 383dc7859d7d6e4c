// Start-up of Mensurator against two floors, all three started the same way from here under
// Wine, in turn: time from CreateProcess to the visible dialog and to its first result, and the
// memory each holds once settled. The bare floor only shows the dialog; the working floor takes
// every Win32 step the program takes before its dialog is ready, without the engine and tables,
// and is the one the goal is set against. Prints markdown table rows ("|") and notes ("- ").
//   startup_timer FLOOR.exe WORKING_FLOOR.exe MENSURATOR.exe [STARTS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/launch.h"
#include "bench/win32/summary.h"

namespace {

using measure::Launched;
using measure::Summary;

constexpr int kResultId = 1003;
constexpr int kCloseId = 1004;
constexpr int kDefaultStarts = 31;
// Mensurator's start-up at most this many times the working floor's.
constexpr double kGoal = 1.03;

struct Subject {
  const char* name;
  std::wstring path;
  // The result field once the program is up: the converted start value for Mensurator and the
  // working floor; the bare floor's stays empty, so for it this is the first message it answers.
  std::wstring firstResult;
  // The bare floor's dialog ignores every command, so it can only be ended from outside.
  bool closesByButton;
};

struct StartSample {
  double visibleMs = 0;
  double readyMs = 0;
  measure::Memory memory;
};

bool Fail(const Subject& subject, const char* what) {
  std::fprintf(stderr, "%s: %s\n", subject.name, what);
  return false;
}

bool MeasureStart(const Subject& subject, StartSample* sample) {
  Launched program(subject.path);
  if (!program.Started()) {
    return Fail(subject, ("cannot start, error " + std::to_string(program.StartError())).c_str());
  }
  const HWND dialog = program.WaitForVisibleDialog(L"Mensurator");
  const double visible = measure::Now();
  if (dialog == nullptr) return Fail(subject, "no visible dialog");
  std::wstring seen;
  if (!measure::WaitForText(GetDlgItem(dialog, kResultId), subject.firstResult, &seen)) {
    return Fail(subject, ("result field shows \"" + measure::Narrow(seen) + "\"").c_str());
  }
  const double ready = measure::Now();
  sample->visibleMs = (visible - program.StartTime()) * 1000.0;
  sample->readyMs = (ready - program.StartTime()) * 1000.0;

  program.Settle();
  if (!program.ReadMemory(&sample->memory)) return Fail(subject, "no memory counters");

  DWORD exitCode = 0;
  if (subject.closesByButton) {
    measure::PostButtonClick(dialog, kCloseId);
    if (!program.WaitForExit(&exitCode)) return Fail(subject, "did not end after Close");
    if (exitCode != 0) return Fail(subject, "ended with a non-zero code");
  } else if (!program.Terminate(&exitCode)) {
    return Fail(subject, "did not end when terminated");
  }
  return true;
}

std::string Cell(const Summary& s, const char* format) {
  char median[32], low[32], high[32], cell[128];
  std::snprintf(median, sizeof median, format, s.median);
  std::snprintf(low, sizeof low, format, s.min);
  std::snprintf(high, sizeof high, format, s.max);
  std::snprintf(cell, sizeof cell, "%s (%s to %s)", median, low, high);
  return cell;
}

template <typename Field>
std::vector<double> Column(const std::vector<StartSample>& samples, Field field) {
  std::vector<double> column;
  for (const StartSample& sample : samples) column.push_back(field(sample));
  return column;
}

// The three subjects' samples, in the order floor, working floor, Mensurator.
using Samples = std::vector<StartSample>[3];

template <typename Field>
void PrintRow(const char* label, const Samples& samples, Field field, const char* format) {
  const Summary f = measure::Summarize(Column(samples[0], field));
  const Summary w = measure::Summarize(Column(samples[1], field));
  const Summary p = measure::Summarize(Column(samples[2], field));
  std::printf("| %s | %s | %s | %s | %.3f | %.3f |\n", label, Cell(f, format).c_str(),
              Cell(w, format).c_str(), Cell(p, format).c_str(), p.median / f.median,
              p.median / w.median);
}

// The median of program over the median of floor, and their paired differences: the three were
// started within one round, a moment apart, so differences within a round shed most of the drift
// that other work on the machine puts into all of them.
std::string Comparison(const std::vector<double>& floor, const std::vector<double>& program,
                       double goal) {
  std::vector<double> differences;
  for (std::size_t i = 0; i < floor.size(); ++i) differences.push_back(program[i] - floor[i]);
  const Summary d = measure::Summarize(differences);
  const double floorMedian = measure::Summarize(floor).median;
  const double ratio = measure::Summarize(program).median / floorMedian;
  char verdict[48] = "";
  if (goal > 0) {
    std::snprintf(verdict, sizeof verdict, " (goal <= %.2f: %s)", goal,
                  ratio <= goal ? "met" : "NOT met");
  }
  char text[224];
  std::snprintf(text, sizeof text,
                "%.3f%s, paired difference median %+.1f ms (%+.1f%%), p10 %+.1f, p90 %+.1f ms",
                ratio, verdict, d.median, 100.0 * d.median / floorMedian, d.p10, d.p90);
  return text;
}

template <typename Field>
void PrintPairedNote(const char* moment, const Samples& samples, Field field) {
  const std::vector<double> program = Column(samples[2], field);
  std::printf("- Start-up to %s: Mensurator / working floor = %s; Mensurator / floor = %s.\n",
              moment, Comparison(Column(samples[1], field), program, kGoal).c_str(),
              Comparison(Column(samples[0], field), program, 0).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: startup_timer FLOOR.exe WORKING_FLOOR.exe MENSURATOR.exe [STARTS]\n");
    return 2;
  }
  const Subject subjects[3] = {{"floor", measure::Widen(argv[1]), L"", false},
                               {"working floor", measure::Widen(argv[2]), L"0.00", true},
                               {"mensurator", measure::Widen(argv[3]), L"0.00", true}};
  const int starts = argc > 4 ? std::atoi(argv[4]) : kDefaultStarts;

  // The first start of each loads what later ones find cached; it is not counted.
  StartSample warmUp;
  for (const Subject& subject : subjects) {
    if (!MeasureStart(subject, &warmUp)) return 1;
  }

  Samples samples;
  for (std::vector<StartSample>& column : samples) column.resize(starts);
  // Rounds go through the six orders of the three in turn, so that each starts first, second
  // and third, and within a round right after each of the others, equally often.
  int order[3] = {0, 1, 2};
  for (int i = 0; i < starts; ++i) {
    for (const int s : order) {
      if (!MeasureStart(subjects[s], &samples[s][i])) return 1;
    }
    std::next_permutation(order, order + 3);
    std::printf(
        "  start %2d: floor visible %6.1f ms, answering %6.1f ms, %6.0f KiB; working floor "
        "visible %6.1f ms, result %6.1f ms, %6.0f KiB; mensurator visible %6.1f ms, result "
        "%6.1f ms, %6.0f KiB\n",
        i + 1, samples[0][i].visibleMs, samples[0][i].readyMs, samples[0][i].memory.workingSetKiB,
        samples[1][i].visibleMs, samples[1][i].readyMs, samples[1][i].memory.workingSetKiB,
        samples[2][i].visibleMs, samples[2][i].readyMs, samples[2][i].memory.workingSetKiB);
    std::fflush(stdout);
  }

  const auto visible = [](const StartSample& s) { return s.visibleMs; };
  const auto ready = [](const StartSample& s) { return s.readyMs; };
  const auto workingSet = [](const StartSample& s) { return s.memory.workingSetKiB; };
  const auto pagefile = [](const StartSample& s) { return s.memory.pagefileKiB; };

  char label[160];
  std::snprintf(label, sizeof label, "Start-up to visible dialog, ms (median of %d, min to max)",
                starts);
  PrintRow(label, samples, visible, "%.1f");
  PrintRow("Start-up to first result shown (floor: to first message answered), ms", samples, ready,
           "%.1f");
  PrintRow("Working set once settled, KiB", samples, workingSet, "%.0f");
  PrintRow("Commit charge (PagefileUsage) once settled, KiB", samples, pagefile, "%.0f");
  PrintPairedNote("visible dialog", samples, visible);
  PrintPairedNote("first result (floor: first answer)", samples, ready);
  return 0;
}
