// The one way every unit table is built.
#include "tables/table_builder.h"

namespace {

// Construction, Clear, one add per registration, Finish: the steps every
// table goes through.
template <typename Add>
Converter BuildTable(std::initializer_list<Registration> registrations, Add add) {
  Converter table;
  table.Clear();
  for (const Registration& r : registrations) add(table, r);
  table.Finish();
  return table;
}

}  // namespace

Converter BuildFromConversions(std::initializer_list<Registration> registrations) {
  return BuildTable(registrations, [](Converter& table, const Registration& r) {
    table.AddConversion(r.from.id, r.to.id, r.from.name, r.to.name, r.factor);
  });
}

Converter BuildFromEntries(std::initializer_list<Registration> registrations) {
  return BuildTable(registrations, [](Converter& table, const Registration& r) {
    table.AddEntry(r.from.id, r.to.id, r.from.name, r.to.name, r.factor);
  });
}
