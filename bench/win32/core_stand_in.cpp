// Stands in for the engine, the unit tables and the result formatting in the working floor, so
// that the program's own shell and dialog start with nothing of the core: every table answers
// with the length units' names, and every conversion shows the texts the program starts with.
#include "engine/conversion.h"
#include "engine/converter.h"
#include "tables/unit_tables.h"
#include "ui/result_format.h"

namespace {

// The length units in the lists' order; a unit's id is its position plus one, as in the table.
const char* const kUnitNames[] = {"Angstrom",  "Centimeter", "Feet",       "Inch",
                                  "Kilometer", "Meter",      "Micrometer", "Mile",
                                  "Milimeter", "Nanometer",  "Yard"};
constexpr std::int32_t kUnitCount = sizeof kUnitNames / sizeof kUnitNames[0];

}  // namespace

Converter* CurrentConverter = nullptr;
Converter LengthConverter;
Converter AreaConverter;
Converter MassConverter;
Converter VolumeConverter;
Converter TemperatureConverter;

std::vector<std::string> Converter::FromUnitNames() const {
  return {kUnitNames, kUnitNames + kUnitCount};
}

std::int32_t Converter::FromUnitIdAt(std::int32_t position) const {
  return position >= 0 && position < kUnitCount ? position + 1 : 0;
}

// Every unit but the source itself, in the lists' order.
std::vector<std::string> Converter::ToUnitNames(std::int32_t fromId) const {
  std::vector<std::string> names;
  for (std::int32_t id = 1; id <= kUnitCount; ++id) {
    if (id != fromId) names.push_back(kUnitNames[id - 1]);
  }
  return names;
}

std::int32_t Converter::ToUnitIdAt(std::int32_t fromId, std::int32_t position) const {
  const std::int32_t id = FromUnitIdAt(position);
  return id == 0 || id < fromId ? id : FromUnitIdAt(position + 1);
}

ConversionResult Convert(std::int32_t, std::int32_t, const char*) { return {false, 0.0, ""}; }

std::string FormatFixed(double, int) { return "0.00"; }

std::string FormatScientific(double, int) { return "0.00e+000"; }
