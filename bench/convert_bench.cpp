// Cost of one conversion against the bare number parse it starts with, and
// the cost of building the five tables at start-up.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "engine/conversion.h"
#include "engine/number_text.h"
#include "tables/unit_tables.h"

namespace {

constexpr std::int32_t kMeter = 6;
constexpr std::int32_t kFeet = 3;
constexpr const char* kValueText = "1234.5678";

void BM_ReadDecimal(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadDecimal(kValueText));
}
BENCHMARK(BM_ReadDecimal);

void BM_Strtod(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(std::strtod(kValueText, nullptr));
}
BENCHMARK(BM_Strtod);

void BM_ConvertFactor(benchmark::State& state) {
  CurrentConverter = &LengthConverter;
  for (auto _ : state) benchmark::DoNotOptimize(Convert(kMeter, kFeet, kValueText));
}
BENCHMARK(BM_ConvertFactor);

void BM_Factor(benchmark::State& state) {
  CurrentConverter = &LengthConverter;
  for (auto _ : state) benchmark::DoNotOptimize(CurrentConverter->Factor(kMeter, kFeet));
}
BENCHMARK(BM_Factor);

void BM_ConvertTemperature(benchmark::State& state) {
  CurrentConverter = &TemperatureConverter;
  for (auto _ : state) benchmark::DoNotOptimize(Convert(CelsiusId, FahrenheitId, kValueText));
}
BENCHMARK(BM_ConvertTemperature);

void BM_ConvertInvalidText(benchmark::State& state) {
  CurrentConverter = &LengthConverter;
  for (auto _ : state) benchmark::DoNotOptimize(Convert(kMeter, kFeet, "1234.5678abc"));
}
BENCHMARK(BM_ConvertInvalidText);

void BM_BuildAllTables(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildLengthConverter());
    benchmark::DoNotOptimize(BuildAreaConverter());
    benchmark::DoNotOptimize(BuildMassConverter());
    benchmark::DoNotOptimize(BuildVolumeConverter());
    benchmark::DoNotOptimize(BuildTemperatureConverter());
  }
}
BENCHMARK(BM_BuildAllTables);

}  // namespace

BENCHMARK_MAIN();
