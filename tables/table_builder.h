// Shared shape of the unit tables: units, registrations, and the building of
// a finished Converter from them.
#ifndef MENSURATOR_TABLES_TABLE_BUILDER_H
#define MENSURATOR_TABLES_TABLE_BUILDER_H

#include <cstdint>
#include <initializer_list>

#include "engine/converter.h"

// A unit as the lists show it: its id and its display name.
struct Unit {
  std::int32_t id;
  const char* name;
};

// One pair of units and the factor from the first to the second.
struct Registration {
  Unit from;
  Unit to;
  double factor;
};

// A finished table with both directions of every registration, the reverse
// factor being 1 / factor.
Converter BuildFromConversions(std::initializer_list<Registration> registrations);

// A finished table with exactly the given one-way entries.
Converter BuildFromEntries(std::initializer_list<Registration> registrations);

#endif
