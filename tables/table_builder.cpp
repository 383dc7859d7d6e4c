#include "tables/table_builder.h"

Converter BuildFromConversions(std::initializer_list<Registration> registrations) {
  Converter table;
  table.Clear();
  for (const Registration& r : registrations) {
    table.AddConversion(r.from.id, r.to.id, r.from.name, r.to.name, r.factor);
  }
  table.Finish();
  return table;
}

Converter BuildFromEntries(std::initializer_list<Registration> registrations) {
  Converter table;
  table.Clear();
  for (const Registration& r : registrations) {
    table.AddEntry(r.from.id, r.to.id, r.from.name, r.to.name, r.factor);
  }
  table.Finish();
  return table;
}
