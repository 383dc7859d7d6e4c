// The seven volume units and the factor of every pair of them. Several factors
// carry only nine significant digits and are kept exactly so.
#include "tables/table_builder.h"
#include "tables/unit_tables.h"

namespace {

constexpr Unit kCubicCentimeter{30, "Cubic centimeter"};
constexpr Unit kCubicDecimeter{31, "Cubic decimeter"};
constexpr Unit kCubicFeet{32, "Cubic feet"};
constexpr Unit kCubicInch{33, "Cubic inch"};
constexpr Unit kCubicMeter{34, "Cubic meter"};
constexpr Unit kLiter{35, "Liter"};
constexpr Unit kCubicYard{36, "Cubic yard"};

}  // namespace

Converter BuildVolumeConverter() {
  return BuildFromConversions({
      {kCubicCentimeter, kCubicDecimeter, 0.001},
      {kCubicCentimeter, kCubicFeet, 3.53146667e-05},
      {kCubicCentimeter, kCubicInch, 0.0610237441},
      {kCubicCentimeter, kCubicMeter, 1e-06},
      {kCubicCentimeter, kLiter, 0.001},
      {kCubicCentimeter, kCubicYard, 1.30795062e-06},
      {kCubicDecimeter, kCubicFeet, 0.03531466671151158},
      {kCubicDecimeter, kCubicInch, 61.02374407749202},
      {kCubicDecimeter, kCubicMeter, 0.001},
      {kCubicDecimeter, kLiter, 1.0},
      {kCubicDecimeter, kCubicYard, 0.0013079506189448734},
      {kCubicFeet, kCubicInch, 1728.0},
      {kCubicFeet, kCubicMeter, 0.0283168466},
      {kCubicFeet, kLiter, 28.3168466},
      {kCubicFeet, kCubicYard, 0.037037037037037035},
      {kCubicInch, kCubicMeter, 1.638706400462963e-05},
      {kCubicInch, kLiter, 0.01638706400462963},
      {kCubicInch, kCubicYard, 2.143347050754458e-05},
      {kCubicMeter, kLiter, 1000.0},
      {kCubicMeter, kCubicYard, 1.3079506189448735},
      {kLiter, kCubicYard, 0.0013079506189448734},
  });
}
