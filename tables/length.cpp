// The eleven length units and the factor of every pair of them.
#include "tables/table_builder.h"
#include "tables/unit_tables.h"

namespace {

constexpr Unit kAngstrom{1, "Angstrom"};
constexpr Unit kCentimeter{2, "Centimeter"};
constexpr Unit kFeet{3, "Feet"};
constexpr Unit kInch{4, "Inch"};
constexpr Unit kKilometer{5, "Kilometer"};
constexpr Unit kMeter{6, "Meter"};
constexpr Unit kMicrometer{7, "Micrometer"};
constexpr Unit kMile{8, "Mile"};
constexpr Unit kMilimeter{9, "Milimeter"};
constexpr Unit kNanometer{10, "Nanometer"};
constexpr Unit kYard{11, "Yard"};

}  // namespace

Converter BuildLengthConverter() {
  return BuildFromConversions({
      {kAngstrom, kCentimeter, 1e-08},
      {kAngstrom, kFeet, 3.2808398950131236e-10},
      {kAngstrom, kInch, 3.937007874015748e-09},
      {kAngstrom, kKilometer, 1.0000000000000002e-13},
      {kAngstrom, kMeter, 1e-10},
      {kAngstrom, kMicrometer, 0.0001},
      {kAngstrom, kMile, 6.213711922373339e-14},
      {kAngstrom, kMilimeter, 1.0000000000000001e-07},
      {kAngstrom, kNanometer, 0.1},
      {kAngstrom, kYard, 1.0936132983377078e-10},
      {kCentimeter, kFeet, 0.03280839895013123},
      {kCentimeter, kInch, 0.39370078740157477},
      {kCentimeter, kKilometer, 1e-05},
      {kCentimeter, kMeter, 0.01},
      {kCentimeter, kMicrometer, 10000.0},
      {kCentimeter, kMile, 6.21371192237334e-06},
      {kCentimeter, kMilimeter, 10.0},
      {kCentimeter, kNanometer, 10000000.0},
      {kCentimeter, kYard, 0.010936132983377079},
      {kFeet, kInch, 12.0},
      {kFeet, kKilometer, 0.00030480000000000004},
      {kFeet, kMeter, 0.3048},
      {kFeet, kMicrometer, 304800.0},
      {kFeet, kMile, 0.0001893939393939394},
      {kFeet, kMilimeter, 304.79999999999995},
      {kFeet, kNanometer, 304800000.0},
      {kFeet, kYard, 0.3333333333333333},
      {kInch, kKilometer, 2.54e-05},
      {kInch, kMeter, 0.025400000000000002},
      {kInch, kMicrometer, 25400.0},
      {kInch, kMile, 1.5782828282828283e-05},
      {kInch, kMilimeter, 25.4},
      {kInch, kNanometer, 25400000.0},
      {kInch, kYard, 0.027777777777777776},
      {kKilometer, kMeter, 1000.0},
      {kKilometer, kMicrometer, 1000000000.0},
      {kKilometer, kMile, 0.621371192237334},
      {kKilometer, kMilimeter, 1000000.0},
      {kKilometer, kNanometer, 1000000000000.0},
      {kKilometer, kYard, 1093.6132983377076},
      {kMeter, kMicrometer, 1000000.0},
      {kMeter, kMile, 0.0006213711922373339},
      {kMeter, kMilimeter, 1000.0},
      {kMeter, kNanometer, 1000000000.0},
      {kMeter, kYard, 1.0936132983377076},
      {kMicrometer, kMile, 6.21371192237334e-10},
      {kMicrometer, kMilimeter, 0.001},
      {kMicrometer, kNanometer, 1000.0},
      {kMicrometer, kYard, 1.0936132983377078e-06},
      {kMile, kMilimeter, 1609344.0},
      {kMile, kNanometer, 1609344000000.0},
      {kMile, kYard, 1760.0},
      {kMilimeter, kYard, 0.0010936132983377078},
      {kMilimeter, kNanometer, 1000000.0},
      {kNanometer, kYard, 1.0936132983377077e-09},
  });
}
