// The three temperature units. Their values convert by formula, so each
// ordered pair is entered once, one way, only for the unit lists.
#include "engine/conversion.h"
#include "tables/table_builder.h"
#include "tables/unit_tables.h"

namespace {

constexpr Unit kCelsius{CelsiusId, "Celsius"};
constexpr Unit kFahrenheit{FahrenheitId, "Fahrenheit"};
constexpr Unit kKelvin{KelvinId, "Kelvin"};

}  // namespace

Converter BuildTemperatureConverter() {
  return BuildFromEntries({
      {kCelsius, kFahrenheit, 0.0},
      {kCelsius, kKelvin, 0.0},
      {kFahrenheit, kCelsius, 0.0},
      {kFahrenheit, kKelvin, 0.0},
      {kKelvin, kCelsius, 0.0},
      {kKelvin, kFahrenheit, 0.0},
  });
}
