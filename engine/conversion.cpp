// Convert: reads the typed value, checks it, and applies a temperature
// formula or the pair's factor from the current table.
#include "engine/conversion.h"

#include <cmath>

#include "engine/converter.h"
#include "engine/number_text.h"

namespace {

constexpr double kNine = 9.0;
constexpr double kFive = 5.0;
constexpr double kThirtyTwo = 32.0;
constexpr double kKelvinOffset = 273.15;

// The six temperature formulas, each evaluated in the order written.
bool ConvertTemperature(std::int32_t fromId, std::int32_t toId, double v, double& out) {
  if (fromId == CelsiusId && toId == FahrenheitId) {
    out = v * kNine / kFive + kThirtyTwo;
  } else if (fromId == CelsiusId && toId == KelvinId) {
    out = v + kKelvinOffset;
  } else if (fromId == FahrenheitId && toId == CelsiusId) {
    out = (v - kThirtyTwo) * kFive / kNine;
  } else if (fromId == FahrenheitId && toId == KelvinId) {
    out = (v - kThirtyTwo) * kFive / kNine + kKelvinOffset;
  } else if (fromId == KelvinId && toId == CelsiusId) {
    out = v - kKelvinOffset;
  } else if (fromId == KelvinId && toId == FahrenheitId) {
    out = (v - kKelvinOffset) * kNine / kFive + kThirtyTwo;
  } else {
    return false;
  }
  return true;
}

}  // namespace

ConversionResult Convert(std::int32_t fromId, std::int32_t toId, const char* text) {
  const ParsedNumber number = ReadDecimal(text);
  const double v = number.value;
  if (number.range == NumberRange::kTooLarge) {
    return {true, v, std::string("The value ") + text + " is too large."};
  }
  if (number.range == NumberRange::kTooSmall) {
    return {true, v, std::string("The value ") + text + " is too small."};
  }
  if (text[number.end] != '\0') {
    return {true, v, std::string("Invalid number: ") + text};
  }

  ConversionResult result{false, v, std::string()};
  if (ConvertTemperature(fromId, toId, v, result.value)) return result;

  const double factor = CurrentConverter->Factor(fromId, toId);
  if (std::isinf(factor) && factor > 0) {
    return {true, v,
            "Invalid conversion " + CurrentConverter->UnitName(fromId) + " to " +
                CurrentConverter->UnitName(toId) + "."};
  }
  result.value = factor * v;
  return result;
}
