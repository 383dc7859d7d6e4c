// The table of one category's units: directed conversions between pairs of
// units, each with its own factor, and the queries the dialog makes of it.
#ifndef MENSURATOR_ENGINE_CONVERTER_H
#define MENSURATOR_ENGINE_CONVERTER_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One directed conversion: v from-units are v * factor to-units.
struct ConversionEntry {
  std::int32_t fromId;
  std::int32_t toId;
  std::string fromName;
  std::string toName;
  std::string fromKey;  // fromName lower-cased, the sort key
  std::string toKey;    // toName lower-cased
  double factor;
};

class Converter {
 public:
  // Building: Clear, any number of AddEntry/AddConversion, then Finish once.

  // Empties the table.
  void Clear();
  // Appends the one entry fromId -> toId; nothing is validated.
  void AddEntry(std::int32_t fromId, std::int32_t toId, const std::string& fromName,
                const std::string& toName, double factor);
  // Appends fromId -> toId with factor and toId -> fromId with 1 / factor.
  void AddConversion(std::int32_t fromId, std::int32_t toId, std::string fromName,
                     std::string toName, double factor);
  // Sorts the entries by from-name, each unit's run by to-name, and indexes
  // the runs.
  void Finish();

  // Queries, valid after Finish. Positions count from 0; each result is a copy.

  // Names of the units to convert from, in case-insensitive order.
  std::vector<std::string> FromUnitNames() const;
  // Id of the from-unit at a position of FromUnitNames(); 0 if there is none.
  std::int32_t FromUnitIdAt(std::int32_t position) const;
  // Names of the units fromId converts to, in order; empty for an unknown id.
  std::vector<std::string> ToUnitNames(std::int32_t fromId) const;
  // Id of the unit at a position of ToUnitNames(fromId); 0 if there is none.
  std::int32_t ToUnitIdAt(std::int32_t fromId, std::int32_t position) const;
  // Display name of a unit; "Null" if the unit converts to nothing here.
  std::string UnitName(std::int32_t id) const;
  // Factor from fromId to toId; +infinity if the table holds no such pair.
  double Factor(std::int32_t fromId, std::int32_t toId) const;

  // Number of entries, for checks of the tables.
  std::size_t EntryCount() const { return entries.size(); }

 private:
  std::vector<ConversionEntry> entries;
  std::map<std::int32_t, std::size_t> fromIndex;  // from-unit -> start of its run
};

// The table of the selected category; every query of the dialog and Convert
// act on it. Start-up points it at a table before anything reads it.
extern Converter* CurrentConverter;

#endif
