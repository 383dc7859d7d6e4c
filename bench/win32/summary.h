// Order statistics of a set of timings, for reports that give a middle and a spread rather than
// a mean alone: Wine start-ups have long tails.
#ifndef MENSURATOR_BENCH_WIN32_SUMMARY_H
#define MENSURATOR_BENCH_WIN32_SUMMARY_H

#include <cstddef>
#include <vector>

namespace measure {

struct Summary {
  std::size_t count = 0;
  double mean = 0;
  double median = 0;
  double p10 = 0;
  double p90 = 0;
  double min = 0;
  double max = 0;
};

Summary Summarize(std::vector<double> samples);

}  // namespace measure

#endif
