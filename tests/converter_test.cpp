// The converter table on small hand-made tables and on the Temperature table,
// whose ids and names the lists are checked against.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "engine/converter.h"
#include "tables/unit_tables.h"

namespace {

using Names = std::vector<std::string>;

class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = CurrentConverter; }
  void TearDown() override { CurrentConverter = saved; }
  Converter* saved = nullptr;
};

TEST_F(ConverterTest, OrdersCaseInsensitivelyNotByAddingOrder) {
  Converter table;
  table.Clear();
  table.AddConversion(1, 2, "zeta", "Alpha", 4.0);
  table.Finish();
  CurrentConverter = &table;

  EXPECT_EQ(Names({"Alpha", "zeta"}), CurrentConverter->FromUnitNames());
  EXPECT_EQ(2, CurrentConverter->FromUnitIdAt(0));
  EXPECT_EQ(1, CurrentConverter->FromUnitIdAt(1));
  EXPECT_EQ(4.0, CurrentConverter->Factor(1, 2));
  EXPECT_EQ(0.25, CurrentConverter->Factor(2, 1));
  EXPECT_EQ(Names({"zeta"}), CurrentConverter->ToUnitNames(2));
  EXPECT_EQ(1, CurrentConverter->ToUnitIdAt(2, 0));
}

TEST_F(ConverterTest, SortsRunsByTargetAndSpaceBeforeLetters) {
  Converter table;
  table.Clear();
  table.AddEntry(5, 9, "unit", "b", 1.0);
  table.AddEntry(5, 8, "unit", "A b", 2.0);
  table.AddEntry(5, 7, "unit", "Ab", 3.0);
  table.AddEntry(4, 9, "Other", "b", 4.0);
  table.Finish();
  CurrentConverter = &table;

  EXPECT_EQ(Names({"Other", "unit"}), CurrentConverter->FromUnitNames());
  EXPECT_EQ(Names({"A b", "Ab", "b"}), CurrentConverter->ToUnitNames(5));
  EXPECT_EQ(8, CurrentConverter->ToUnitIdAt(5, 0));
  EXPECT_EQ(7, CurrentConverter->ToUnitIdAt(5, 1));
  EXPECT_EQ(9, CurrentConverter->ToUnitIdAt(5, 2));
  EXPECT_EQ(3.0, CurrentConverter->Factor(5, 7));
}

TEST_F(ConverterTest, TemperatureQueries) {
  CurrentConverter = &TemperatureConverter;
  EXPECT_EQ(Names({"Celsius", "Fahrenheit", "Kelvin"}), CurrentConverter->FromUnitNames());
  EXPECT_EQ(Names({"Celsius", "Kelvin"}), CurrentConverter->ToUnitNames(38));
  EXPECT_EQ(38, CurrentConverter->FromUnitIdAt(1));
  EXPECT_EQ(39, CurrentConverter->ToUnitIdAt(38, 1));
  EXPECT_EQ("Kelvin", CurrentConverter->UnitName(39));
}

// Every query's answer when there is nothing to answer with.
TEST_F(ConverterTest, SentinelsWhenNothingIsFound) {
  CurrentConverter = &TemperatureConverter;
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(0, CurrentConverter->FromUnitIdAt(3));
  EXPECT_EQ(0, CurrentConverter->FromUnitIdAt(-1));
  EXPECT_EQ(0, CurrentConverter->ToUnitIdAt(38, -1));
  EXPECT_EQ(0, CurrentConverter->ToUnitIdAt(38, 2)) << "past the run must not reach Kelvin's";
  EXPECT_EQ(0, CurrentConverter->ToUnitIdAt(39, 2)) << "past the last entry";
  EXPECT_EQ(0, CurrentConverter->ToUnitIdAt(6, 0)) << "a Length id";
  for (int id : {0, 6, 40, -37}) {
    SCOPED_TRACE(id);
    EXPECT_EQ("Null", CurrentConverter->UnitName(id));
    EXPECT_TRUE(CurrentConverter->ToUnitNames(id).empty());
    EXPECT_EQ(inf, CurrentConverter->Factor(id, 37));
  }
  EXPECT_EQ(inf, CurrentConverter->Factor(37, 37));
}

TEST_F(ConverterTest, EmptyTableAndZeroFactor) {
  Converter empty;
  empty.Clear();
  empty.Finish();
  CurrentConverter = &empty;
  EXPECT_TRUE(CurrentConverter->FromUnitNames().empty());
  EXPECT_EQ(0, CurrentConverter->FromUnitIdAt(0));

  Converter zero;
  zero.Clear();
  zero.AddConversion(1, 2, "a", "b", 0.0);
  zero.Finish();
  CurrentConverter = &zero;
  EXPECT_EQ(0.0, CurrentConverter->Factor(1, 2));
  EXPECT_EQ(std::numeric_limits<double>::infinity(), CurrentConverter->Factor(2, 1));
}

TEST_F(ConverterTest, ClearEmptiesAFinishedTable) {
  Converter table;
  table.AddConversion(1, 2, "a", "b", 2.0);
  table.Finish();
  table.Clear();
  table.AddConversion(3, 4, "c", "d", 5.0);
  table.Finish();
  CurrentConverter = &table;
  EXPECT_EQ(Names({"c", "d"}), CurrentConverter->FromUnitNames());
  EXPECT_EQ("Null", CurrentConverter->UnitName(1));
  EXPECT_EQ(2u, table.EntryCount());
}

}  // namespace
