// The conversion of a typed value from one unit to another of the current
// category, with its checks of the number text.
#ifndef MENSURATOR_ENGINE_CONVERSION_H
#define MENSURATOR_ENGINE_CONVERSION_H

#include <cstdint>
#include <string>

// Unit ids that Convert turns into each other by formula, not by factor.
constexpr std::int32_t CelsiusId = 37;
constexpr std::int32_t FahrenheitId = 38;
constexpr std::int32_t KelvinId = 39;

struct ConversionResult {
  bool failed;
  double value;         // converted value; on failure the number as read
  std::string message;  // empty on success; on failure says why
};

// Converts text, a value in unit fromId, to unit toId on *CurrentConverter.
// Never throws for bad input: failure is reported in the result.
ConversionResult Convert(std::int32_t fromId, std::int32_t toId, const char* text);

#endif
