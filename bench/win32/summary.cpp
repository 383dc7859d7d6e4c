// Mean, median, tenth and ninetieth percentiles and extremes of a sample.
#include "bench/win32/summary.h"

#include <algorithm>
#include <numeric>

namespace measure {

namespace {

// Linear interpolation between the closest ranks of a sorted sample.
double Percentile(const std::vector<double>& sorted, double fraction) {
  const double position = fraction * static_cast<double>(sorted.size() - 1);
  const std::size_t below = static_cast<std::size_t>(position);
  if (below + 1 >= sorted.size()) return sorted.back();
  const double weight = position - static_cast<double>(below);
  return sorted[below] + weight * (sorted[below + 1] - sorted[below]);
}

}  // namespace

Summary Summarize(std::vector<double> samples) {
  Summary summary;
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  summary.count = samples.size();
  summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
  summary.median = Percentile(samples, 0.5);
  summary.p10 = Percentile(samples, 0.1);
  summary.p90 = Percentile(samples, 0.9);
  summary.min = samples.front();
  summary.max = samples.back();
  return summary;
}

}  // namespace measure
