// Start-up of Mensurator against the floor program, both started the same way from here under
// Wine, alternately: time from CreateProcess to the visible dialog and to its first result, and
// the memory each holds once settled. Prints markdown table rows ("|") and notes ("- ").
//   startup_timer FLOOR.exe MENSURATOR.exe [STARTS]
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
constexpr int kDefaultStarts = 21;
constexpr double kGoal = 1.03;

struct Subject {
  const char* name;
  std::wstring path;
  // The result field once the program is up: the converted start value for Mensurator; the
  // floor's stays empty, so for it this is the first message it answers.
  std::wstring firstResult;
  // The floor's dialog ignores every command, so it can only be ended from outside.
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

void PrintRow(const char* label, const std::vector<double>& floor,
              const std::vector<double>& program, const char* format) {
  const Summary f = measure::Summarize(floor);
  const Summary p = measure::Summarize(program);
  std::printf("| %s | %s | %s | %.3f |\n", label, Cell(f, format).c_str(), Cell(p, format).c_str(),
              p.median / f.median);
}

// Starts were made in pairs a moment apart, so their differences shed most of the drift that
// other work on the machine puts into both.
void PrintPairedNote(const char* moment, const std::vector<double>& floor,
                     const std::vector<double>& program) {
  std::vector<double> differences;
  for (std::size_t i = 0; i < floor.size(); ++i) differences.push_back(program[i] - floor[i]);
  const Summary d = measure::Summarize(differences);
  const double floorMedian = measure::Summarize(floor).median;
  const double ratio = measure::Summarize(program).median / floorMedian;
  std::printf(
      "- Start-up to %s: Mensurator / floor = %.3f (goal <= %.2f: %s); paired difference "
      "median %+.1f ms (%+.1f%% of the floor), p10 %+.1f, p90 %+.1f ms.\n",
      moment, ratio, kGoal, ratio <= kGoal ? "met" : "NOT met", d.median,
      100.0 * d.median / floorMedian, d.p10, d.p90);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_timer FLOOR.exe MENSURATOR.exe [STARTS]\n");
    return 2;
  }
  const Subject floor{"floor", measure::Widen(argv[1]), L"", false};
  const Subject program{"mensurator", measure::Widen(argv[2]), L"0.00", true};
  const int starts = argc > 3 ? std::atoi(argv[3]) : kDefaultStarts;

  // The first start of each loads what later ones find cached; it is not counted.
  StartSample warmUp;
  if (!MeasureStart(floor, &warmUp) || !MeasureStart(program, &warmUp)) return 1;

  std::vector<StartSample> floorSamples(starts), programSamples(starts);
  for (int i = 0; i < starts; ++i) {
    // ABBA order: neither program always comes right after the other's exit.
    const bool floorFirst = i % 2 == 0;
    if (!MeasureStart(floorFirst ? floor : program,
                      floorFirst ? &floorSamples[i] : &programSamples[i]) ||
        !MeasureStart(floorFirst ? program : floor,
                      floorFirst ? &programSamples[i] : &floorSamples[i])) {
      return 1;
    }
    std::printf(
        "  start %2d: floor visible %6.1f ms, answering %6.1f ms, %6.0f KiB; "
        "mensurator visible %6.1f ms, result %6.1f ms, %6.0f KiB\n",
        i + 1, floorSamples[i].visibleMs, floorSamples[i].readyMs,
        floorSamples[i].memory.workingSetKiB, programSamples[i].visibleMs,
        programSamples[i].readyMs, programSamples[i].memory.workingSetKiB);
    std::fflush(stdout);
  }

  const auto visible = [](const StartSample& s) { return s.visibleMs; };
  const auto ready = [](const StartSample& s) { return s.readyMs; };
  const auto workingSet = [](const StartSample& s) { return s.memory.workingSetKiB; };
  const auto pagefile = [](const StartSample& s) { return s.memory.pagefileKiB; };

  char label[160];
  std::snprintf(label, sizeof label, "Start-up to visible dialog, ms (median of %d, min to max)",
                starts);
  PrintRow(label, Column(floorSamples, visible), Column(programSamples, visible), "%.1f");
  PrintRow("Start-up to first result shown (floor: to first message answered), ms",
           Column(floorSamples, ready), Column(programSamples, ready), "%.1f");
  PrintRow("Working set once settled, KiB", Column(floorSamples, workingSet),
           Column(programSamples, workingSet), "%.0f");
  PrintRow("Commit charge (PagefileUsage) once settled, KiB", Column(floorSamples, pagefile),
           Column(programSamples, pagefile), "%.0f");
  PrintPairedNote("visible dialog", Column(floorSamples, visible), Column(programSamples, visible));
  PrintPairedNote("first result (floor: first answer)", Column(floorSamples, ready),
                  Column(programSamples, ready));
  return 0;
}
