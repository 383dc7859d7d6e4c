// The nine mass units and the factor of every pair of them.
#include "tables/table_builder.h"
#include "tables/unit_tables.h"

namespace {

constexpr Unit kGrain{21, "Grain"};
constexpr Unit kGram{22, "Gram"};
constexpr Unit kKilogram{23, "Kilogram"};
constexpr Unit kLongTon{24, "Long ton"};
constexpr Unit kMetricTon{25, "Metric ton"};
constexpr Unit kMiligram{26, "Miligram"};
constexpr Unit kOunce{27, "Ounce"};
constexpr Unit kPound{28, "Pound"};
constexpr Unit kShortTon{29, "Short ton"};

}  // namespace

Converter BuildMassConverter() {
  return BuildFromConversions({
      {kGrain, kGram, 0.06479890994285714},
      {kGrain, kKilogram, 6.479890994285715e-05},
      {kGrain, kLongTon, 6.377551020408163e-08},
      {kGrain, kMetricTon, 6.479890980240584e-08},
      {kGrain, kMiligram, 64.79890994285715},
      {kGrain, kOunce, 0.002285714285714286},
      {kGrain, kPound, 0.00014285714285714287},
      {kGrain, kShortTon, 7.142857142857142e-08},
      {kGram, kKilogram, 0.001},
      {kGram, kLongTon, 9.842065276110607e-07},
      {kGram, kMetricTon, 1e-06},
      {kGram, kMiligram, 1000.0},
      {kGram, kOunce, 0.035273961980686726},
      {kGram, kPound, 0.002204622621848776},
      {kGram, kShortTon, 1.102311310924388e-06},
      {kKilogram, kLongTon, 0.0009842065276110606},
      {kKilogram, kMetricTon, 0.001},
      {kKilogram, kMiligram, 1000000.0},
      {kKilogram, kOunce, 35.27396198068672},
      {kKilogram, kPound, 2.2046226218487757},
      {kKilogram, kShortTon, 0.001102311310924388},
      {kLongTon, kMetricTon, 1.0160469088000001},
      {kLongTon, kMiligram, 1016046908.8},
      {kLongTon, kOunce, 35840.0},
      {kLongTon, kPound, 2240.0},
      {kLongTon, kShortTon, 1.1199999999999999},
      {kMetricTon, kMiligram, 1000000000.0},
      {kMetricTon, kOunce, 35273.96198068672},
      {kMetricTon, kPound, 2204.6226218487755},
      {kMetricTon, kShortTon, 1.1023113109243878},
      {kMiligram, kOunce, 3.5273961980686725e-05},
      {kMiligram, kPound, 2.204622621848776e-06},
      {kMiligram, kShortTon, 1.102311310924388e-09},
      {kOunce, kPound, 0.0625},
      {kOunce, kShortTon, 3.125e-05},
      {kPound, kShortTon, 0.0005},
  });
}
