// The five unit tables, checked by their properties rather than retyped:
// complete and closed pairs, exact reciprocals, chains through a third unit
// that agree with the direct factor, list orders and list positions; and each
// written factor against the exact definitions of its two units.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
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

void PrintTo(const TableCase& c, std::ostream* out) { *out << c.category; }

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

// Each unit's exact definition in SI units (m, kg; m² for the acre, m³ for the liter): mantissa ×
// 10^exponent / divisor, raised to power. The inch, foot, yard, mile, pound and grain are exact by
// definition; an ounce is a pound / 16, a long ton 2240 pounds and a short ton 2000.
// clang-format off
struct Definition {
  const char* unit; std::uint64_t mantissa; int exponent; int power = 1; std::uint64_t divisor = 1;
};
const Definition kDefinitions[] = {
    {"Angstrom", 1, -10}, {"Centimeter", 1, -2}, {"Feet", 3048, -4}, {"Inch", 254, -4},
    {"Kilometer", 1, 3}, {"Meter", 1, 0}, {"Micrometer", 1, -6}, {"Mile", 1609344, -3},
    {"Milimeter", 1, -3}, {"Nanometer", 1, -9}, {"Yard", 9144, -4}, {"Acre", 40468564224, -7},
    {"Square centimeter", 1, -2, 2}, {"Square feet", 3048, -4, 2}, {"Square inch", 254, -4, 2},
    {"Square kilometer", 1, 3, 2}, {"Square meter", 1, 0, 2}, {"Square mile", 1609344, -3, 2},
    {"Square milimeter", 1, -3, 2}, {"Square yard", 9144, -4, 2}, {"Grain", 6479891, -11},
    {"Gram", 1, -3}, {"Kilogram", 1, 0}, {"Long ton", 45359237ull * 2240, -8}, {"Metric ton", 1, 3},
    {"Miligram", 1, -6}, {"Ounce", 45359237, -8, 1, 16}, {"Pound", 45359237, -8},
    {"Short ton", 45359237ull * 2000, -8}, {"Cubic centimeter", 1, -2, 3},
    {"Cubic decimeter", 1, -1, 3}, {"Cubic feet", 3048, -4, 3}, {"Cubic inch", 254, -4, 3},
    {"Cubic meter", 1, 0, 3}, {"Liter", 1, -1, 3}, {"Cubic yard", 9144, -4, 3}};
// Some factors were worked out through the ounce and the cubic foot rounded to nine digits,
// 28.3495231 g and 28.3168466 dm³: a grain as that ounce / 437.5, a cubic inch as that foot / 1728.
const Definition kNineDigitDefinitions[] = {
    {"Grain", 283495231, -9, 1, 4375}, {"Cubic inch", 283168466, -10, 1, 1728},
    {"Cubic yard", 283168466ull * 27, -10}};

// Registrations whose factor is not the exact ratio at its written digits, kept as the table has
// them: so many ulps from the double nearest to the ratio, taken with kNineDigitDefinitions or not.
struct Deviation { const char* from; const char* to; int ulps; bool nineDigitUnits = false; };
const Deviation kDeviations[] = {
    // Products and quotients of decimals worked out in double arithmetic.
    {"Angstrom", "Kilometer", 1}, {"Angstrom", "Milimeter", 1}, {"Feet", "Kilometer", 1},
    {"Feet", "Milimeter", -1}, {"Inch", "Meter", 1}, {"Kilometer", "Yard", -1},
    {"Meter", "Yard", -1}, {"Long ton", "Metric ton", 1}, {"Long ton", "Short ton", -1},
    {"Metric ton", "Pound", -1},
    {"Grain", "Gram", 0, true}, {"Grain", "Kilogram", 0, true}, {"Grain", "Miligram", 1, true},
    {"Cubic decimeter", "Cubic inch", 0, true}, {"Cubic decimeter", "Cubic yard", 0, true},
    {"Cubic inch", "Cubic meter", 0, true}, {"Cubic inch", "Liter", 0, true},
    {"Cubic meter", "Cubic yard", 0, true}, {"Liter", "Cubic yard", 0, true}};
// clang-format on

// A unit's definition, from kNineDigitDefinitions where it has one and they are asked for.
Definition Find(const std::string& unit, bool nineDigitUnits) {
  for (const Definition& d : kNineDigitDefinitions) {
    if (nineDigitUnits && unit == d.unit) return d;
  }
  for (const Definition& d : kDefinitions) {
    if (unit == d.unit) return d;
  }
  // Thrown, so that the test fails here, named, instead of dividing by a zero mantissa.
  throw std::invalid_argument("no definition of " + unit);
}

// The exact ratio of two units: its first 40 significant digits, the last one at 10^exponent.
struct Decimal {
  std::string digits;
  int exponent;
};

Decimal ExactRatio(const std::string& from, const std::string& to, bool nineDigitUnits) {
  const Definition a = Find(from, nineDigitUnits);
  const Definition b = Find(to, nineDigitUnits);
  std::uint64_t rest = b.divisor;
  std::uint64_t denominator = a.divisor;
  for (int i = 0; i < a.power; ++i) rest *= a.mantissa;
  for (int i = 0; i < b.power; ++i) denominator *= b.mantissa;
  Decimal d{std::to_string(rest / denominator), a.exponent * a.power - b.exponent * b.power};
  if (d.digits == "0") d.digits.clear();
  for (rest %= denominator; d.digits.size() < 40; --d.exponent) {
    rest *= 10;
    if (!d.digits.empty() || rest >= denominator) d.digits += char('0' + rest / denominator);
    rest %= denominator;
  }
  return d;
}

// The double nearest to the ratio rounded, half up, to count significant digits (at most 19), or
// to all forty.
double Rounded(const Decimal& d, int count = 40) {
  const std::string kept =
      count < 40 ? std::to_string(std::stoull(d.digits.substr(0, count)) + (d.digits[count] >= '5'))
                 : d.digits;
  const std::string text = kept + "e" + std::to_string(d.exponent + 40 - count);
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The shortest text that reads back as value.
std::string Shortest(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// Every written factor against physics: the exact ratio of its units rounded to some number of
// significant digits, or the reciprocal of the reverse ratio rounded to eight or nine; the
// deviations listed above as listed.
TEST_P(FactorTablesTest, WrittenFactorsAreTheExactRatiosOfTheirUnits) {
  const TableCase& c = GetParam();
  for (std::int32_t low = c.firstId; low <= c.lastId; ++low) {
    for (std::int32_t high = low + 1; high <= c.lastId; ++high) {
      const std::string from = c.table->UnitName(low);
      const std::string to = c.table->UnitName(high);
      const double factor = c.table->Factor(low, high);
      SCOPED_TRACE(from + " to " + to + ", factor " + Shortest(factor));
      const Decimal exact = ExactRatio(from, to, false);
      const Decimal reverse = ExactRatio(to, from, false);
      bool followsRule = factor == Rounded(exact) || factor == 1.0 / Rounded(reverse, 8) ||
                         factor == 1.0 / Rounded(reverse, 9);
      for (int digits = 1; digits <= 17; ++digits) followsRule |= factor == Rounded(exact, digits);
      const Deviation* listed =
          std::find_if(std::begin(kDeviations), std::end(kDeviations),
                       [&](const Deviation& d) { return from == d.from && to == d.to; });
      if (listed == std::end(kDeviations)) {
        EXPECT_TRUE(followsRule) << "exact ratio " << exact.digits << "e" << exact.exponent;
        continue;
      }
      EXPECT_FALSE(followsRule) << "listed as a deviation";
      double expected = Rounded(ExactRatio(from, to, listed->nineDigitUnits));
      for (int step = 0; step < std::abs(listed->ulps); ++step) {
        expected = std::nextafter(expected, listed->ulps * HUGE_VAL);
      }
      EXPECT_EQ(Shortest(expected), Shortest(factor));
    }
  }
}

// A unit added to a table without a definition here fails the comparison at once, by name.
TEST(UnitTables, UnitWithoutDefinitionIsNamed) {
  EXPECT_THROW(ExactRatio("Meter", "Furlong", false), std::invalid_argument);
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
