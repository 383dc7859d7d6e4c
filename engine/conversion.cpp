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

// Every path returns the one named result, so that it is built in place.
ConversionResult Convert(std::int32_t fromId, std::int32_t toId, const char* text) {
  const ParsedNumber number = ReadDecimal(text);
  ConversionResult result{true, number.value, std::string()};
  if (number.range == NumberRange::kTooLarge) {
    result.message = std::string("The value ") + text + " is too large.";
    return result;
  }
  if (number.range == NumberRange::kTooSmall) {
    result.message = std::string("The value ") + text + " is too small.";
    return result;
  }
  if (text[number.end] != '\0') {
    result.message = std::string("Invalid number: ") + text;
    return result;
  }

  if (ConvertTemperature(fromId, toId, number.value, result.value)) {
    result.failed = false;
    return result;
  }
  const double factor = CurrentConverter->Factor(fromId, toId);
  if (std::isinf(factor) && factor > 0) {
    result.message = "Invalid conversion " + CurrentConverter->UnitName(fromId) + " to " +
                     CurrentConverter->UnitName(toId) + ".";
    return result;
  }
  result.failed = false;
  result.value = factor * number.value;
  return result;
}
