// The five unit tables, checked by their properties rather than retyped:
// complete and closed pairs, exact reciprocals, chains through a third unit
// that agree with the direct factor, list orders and list positions.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/conversion.h"
#include "tables/unit_tables.h"

namespace {

using Names = std::vector<std::string>;

struct TableCase {
  const char* category;
  Converter* table;
  std::int32_t firstId;
  std::int32_t lastId;
  Names order;            // FromUnitNames, in list order
  double chainTolerance;  // relative, through any third unit; unused for Temperature
};

const TableCase kTables[] = {
    {"Length",
     &LengthConverter,
     1,
     11,
     {"Angstrom", "Centimeter", "Feet", "Inch", "Kilometer", "Meter", "Micrometer", "Mile",
      "Milimeter", "Nanometer", "Yard"},
     1e-15},
    {"Area",
     &AreaConverter,
     12,
     20,
     {"Acre", "Square centimeter", "Square feet", "Square inch", "Square kilometer", "Square meter",
      "Square mile", "Square milimeter", "Square yard"},
     5e-9},
    {"Mass",
     &MassConverter,
     21,
     29,
     {"Grain", "Gram", "Kilogram", "Long ton", "Metric ton", "Miligram", "Ounce", "Pound",
      "Short ton"},
     4e-9},
    {"Volume",
     &VolumeConverter,
     30,
     36,
     {"Cubic centimeter", "Cubic decimeter", "Cubic feet", "Cubic inch", "Cubic meter",
      "Cubic yard", "Liter"},
     1.5e-9},
    {"Temperature", &TemperatureConverter, 37, 39, {"Celsius", "Fahrenheit", "Kelvin"}, 0.0},
};

class TablesTest : public ::testing::TestWithParam<TableCase> {
 protected:
  void SetUp() override {
    saved = CurrentConverter;
    CurrentConverter = GetParam().table;
  }
  void TearDown() override { CurrentConverter = saved; }
  Converter* saved = nullptr;
};

TEST_P(TablesTest, EveryOrderedPairOfTwoUnitsExactlyOnce) {
  const TableCase& c = GetParam();
  const std::size_t units = c.order.size();
  EXPECT_EQ(units * (units - 1), c.table->EntryCount());

  std::set<std::pair<std::int32_t, std::int32_t>> pairs;
  for (std::int32_t position = 0; position < static_cast<std::int32_t>(units); ++position) {
    const std::int32_t fromId = c.table->FromUnitIdAt(position);
    ASSERT_GE(fromId, c.firstId);
    ASSERT_LE(fromId, c.lastId);
    EXPECT_EQ(c.order[position], c.table->UnitName(fromId));

    Names expectedTargets = c.order;
    expectedTargets.erase(expectedTargets.begin() + position);
    EXPECT_EQ(expectedTargets, c.table->ToUnitNames(fromId)) << c.order[position];
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(expectedTargets.size()); ++i) {
      const std::int32_t toId = c.table->ToUnitIdAt(fromId, i);
      EXPECT_EQ(expectedTargets[i], c.table->UnitName(toId));
      EXPECT_TRUE(pairs.insert({fromId, toId}).second) << fromId << " to " << toId;
    }
  }
  EXPECT_EQ(units * (units - 1), pairs.size());
  EXPECT_EQ(0, c.table->FromUnitIdAt(static_cast<std::int32_t>(units)));

  // Nothing converts a unit to itself, nor leaves the category.
  for (std::int32_t fromId = 0; fromId <= 40; ++fromId) {
    for (std::int32_t toId = 0; toId <= 40; ++toId) {
      const bool inside = fromId != toId && fromId >= c.firstId && fromId <= c.lastId &&
                          toId >= c.firstId && toId <= c.lastId;
      EXPECT_EQ(inside, !std::isinf(c.table->Factor(fromId, toId))) << fromId << " to " << toId;
    }
  }
}

TEST_P(TablesTest, ListsComeInCaseInsensitiveOrder) {
  EXPECT_EQ(GetParam().order, CurrentConverter->FromUnitNames());
}

// The reverse factor is never stored separately: it is 1 / factor, and the
// registrations put the lower id first.
using FactorTablesTest = TablesTest;

TEST_P(FactorTablesTest, ReverseFactorIsTheExactReciprocal) {
  const TableCase& c = GetParam();
  for (std::int32_t low = c.firstId; low <= c.lastId; ++low) {
    for (std::int32_t high = low + 1; high <= c.lastId; ++high) {
      EXPECT_EQ(1.0 / c.table->Factor(low, high), c.table->Factor(high, low))
          << low << " and " << high;
    }
  }
}

TEST_P(FactorTablesTest, ChainsThroughAThirdUnitAgree) {
  const TableCase& c = GetParam();
  double worst = 0.0;
  for (std::int32_t a = c.firstId; a <= c.lastId; ++a) {
    for (std::int32_t b = c.firstId; b <= c.lastId; ++b) {
      for (std::int32_t via = c.firstId; via <= c.lastId; ++via) {
        if (a == b || a == via || b == via) continue;
        const double direct = c.table->Factor(a, b);
        const double chained = c.table->Factor(a, via) * c.table->Factor(via, b);
        const double error = std::fabs(chained - direct) / direct;
        EXPECT_LE(error, c.chainTolerance) << a << " to " << b << " via " << via;
        worst = std::max(worst, error);
      }
    }
  }
  std::ostringstream worstText;
  worstText << worst;
  RecordProperty("worst_chain_error", worstText.str());
}

// Temperatures convert by formula; their entries exist only for the lists.
TEST(UnitTables, TemperatureEntriesCarryNoFactor) {
  for (std::int32_t a = CelsiusId; a <= KelvinId; ++a) {
    for (std::int32_t b = CelsiusId; b <= KelvinId; ++b) {
      if (a == b) continue;
      EXPECT_EQ(0.0, TemperatureConverter.Factor(a, b)) << a << " to " << b;
    }
  }
}

std::string CategoryName(const ::testing::TestParamInfo<TableCase>& info) {
  return info.param.category;
}

INSTANTIATE_TEST_SUITE_P(AllCategories, TablesTest, ::testing::ValuesIn(kTables), CategoryName);
// Temperature, the last table, has no factors to compare.
INSTANTIATE_TEST_SUITE_P(FactorCategories, FactorTablesTest,
                         ::testing::ValuesIn(kTables, kTables + 4), CategoryName);

struct FactorCase {
  Converter* table;
  const char* from;
  const char* to;
  double factor;
};

std::int32_t IdOf(const Converter& table, const std::string& name) {
  for (std::int32_t position = 0;; ++position) {
    const std::int32_t id = table.FromUnitIdAt(position);
    if (id == 0 || table.UnitName(id) == name) return id;
  }
}

// Factors whose last digits a careless table would get wrong.
TEST(UnitTables, SingledOutFactors) {
  const FactorCase cases[] = {
      {&LengthConverter, "Feet", "Milimeter", 304.79999999999995},
      {&LengthConverter, "Milimeter", "Feet", 0.0032808398950131237},
      {&LengthConverter, "Kilometer", "Mile", 0.621371192237334},
      {&LengthConverter, "Mile", "Kilometer", 1.609344},
      {&LengthConverter, "Inch", "Meter", 0.025400000000000002},
      {&LengthConverter, "Angstrom", "Kilometer", 1.0000000000000002e-13},
      {&AreaConverter, "Square mile", "Acre", 640.0},
      {&AreaConverter, "Square yard", "Acre", 0.00020661157024793388},
      {&AreaConverter, "Square feet", "Square centimeter", 929.030401442212},
      {&AreaConverter, "Square meter", "Square inch", 1550.0031},
      {&AreaConverter, "Acre", "Square meter", 4046.85642},
      {&MassConverter, "Pound", "Grain", 6999.999999999999},
      {&MassConverter, "Pound", "Kilogram", 0.45359237},
      {&MassConverter, "Ounce", "Gram", 28.3495231},
      {&MassConverter, "Short ton", "Long ton", 0.8928571428571429},
      {&MassConverter, "Long ton", "Metric ton", 1.0160469088000001},
      {&VolumeConverter, "Cubic decimeter", "Liter", 1.0},
      {&VolumeConverter, "Liter", "Cubic decimeter", 1.0},
      {&VolumeConverter, "Cubic inch", "Cubic centimeter", 16.38706399858543},
      {&VolumeConverter, "Cubic yard", "Liter", 764.5548582},
      {&VolumeConverter, "Cubic centimeter", "Cubic feet", 3.53146667e-05},
  };
  for (const FactorCase& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " to " + c.to);
    const std::int32_t from = IdOf(*c.table, c.from);
    const std::int32_t to = IdOf(*c.table, c.to);
    ASSERT_NE(0, from);
    ASSERT_NE(0, to);
    EXPECT_EQ(c.factor, c.table->Factor(from, to));
  }
}

// Volume is the table whose list order differs from its id order.
TEST(UnitTables, VolumePositionsAreNotIdOrder) {
  EXPECT_EQ(36, VolumeConverter.FromUnitIdAt(5));
  EXPECT_EQ(35, VolumeConverter.FromUnitIdAt(6));
  EXPECT_EQ((Names{"Cubic centimeter", "Cubic decimeter", "Cubic feet", "Cubic inch", "Cubic meter",
                   "Cubic yard"}),
            VolumeConverter.ToUnitNames(35));
  EXPECT_EQ(35, VolumeConverter.ToUnitIdAt(36, 5));
  EXPECT_EQ(34, VolumeConverter.ToUnitIdAt(36, 4));
}

// Ids are unique across the five tables.
TEST(UnitTables, IdsBelongToOneTableEach) {
  std::set<std::int32_t> seen;
  for (const TableCase& c : kTables) {
    for (std::int32_t position = 0;; ++position) {
      const std::int32_t id = c.table->FromUnitIdAt(position);
      if (id == 0) break;
      EXPECT_TRUE(seen.insert(id).second) << c.category << " reuses id " << id;
    }
  }
  EXPECT_EQ(39u, seen.size());
}

}  // namespace
