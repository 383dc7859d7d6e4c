// Convert: the temperature formulas, the four messages and the order of the
// checks on the number text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "engine/conversion.h"
#include "tables/unit_tables.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = CurrentConverter;
    CurrentConverter = &LengthConverter;
  }
  void TearDown() override { CurrentConverter = saved; }
  Converter* saved = nullptr;
};

struct TemperatureCase {
  std::int32_t fromId;
  std::int32_t toId;
  const char* text;
  double expected;  // compared bit for bit
};

TEST_F(ConvertTest, TemperatureFormulasToTheLastBit) {
  CurrentConverter = &TemperatureConverter;
  const TemperatureCase cases[] = {
      {CelsiusId, FahrenheitId, "100", 212.0},
      {FahrenheitId, CelsiusId, "212", 100.0},
      {CelsiusId, FahrenheitId, "-40", -40.0},
      {FahrenheitId, CelsiusId, "-40", -40.0},
      {CelsiusId, KelvinId, "0", 273.15},
      {CelsiusId, KelvinId, "", 273.15},
      {FahrenheitId, CelsiusId, "98.6", 37.0},
      {CelsiusId, FahrenheitId, "37", 98.6},
      {FahrenheitId, CelsiusId, "1", -17.22222222222222},
      {CelsiusId, FahrenheitId, "1", 33.8},
      {KelvinId, CelsiusId, "0", -273.15},
      {KelvinId, FahrenheitId, "0", -459.66999999999996},
      {FahrenheitId, KelvinId, "32", 273.15},
      {CelsiusId, KelvinId, "-300", -26.850000000000023},
      {CelsiusId, FahrenheitId, "-300", -508.0},
  };
  for (const TemperatureCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " from " + std::to_string(c.fromId) + " to " +
                 std::to_string(c.toId));
    const ConversionResult r = Convert(c.fromId, c.toId, c.text);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ("", r.message);
    EXPECT_EQ(c.expected, r.value);
  }
}

// The same temperature on the three scales, from reference points rather than the formulas: each
// of the six conversions, at values where every term of its formula counts.
TEST_F(ConvertTest, TemperatureFormulasAgreeWithReferencePoints) {
  CurrentConverter = &TemperatureConverter;
  const std::int32_t scales[3] = {KelvinId, CelsiusId, FahrenheitId};
  const char* const sameTemperature[][3] = {
      {"0", "-273.15", "-459.67"}, {"233.15", "-40", "-40"},      {"310.15", "37", "98.6"},
      {"373.15", "100", "212"},    {"1000", "726.85", "1340.33"}, {"-26.85", "-300", "-508"},
  };
  for (const auto& row : sameTemperature) {
    for (int from = 0; from < 3; ++from) {
      for (int to = 0; to < 3; ++to) {
        if (from == to) continue;
        const double expected = std::strtod(row[to], nullptr);
        EXPECT_NEAR(expected, Convert(scales[from], scales[to], row[from]).value,
                    1e-12 * (1 + std::fabs(expected)))
            << row[from] << " from " << scales[from] << " to " << scales[to];
      }
    }
  }
}

TEST_F(ConvertTest, TemperatureFormulasApplyWhateverTableIsCurrent) {
  CurrentConverter = &AreaConverter;
  EXPECT_EQ(212.0, Convert(CelsiusId, FahrenheitId, "100").value);
}

struct FailureCase {
  std::int32_t fromId;
  std::int32_t toId;
  const char* text;
  double value;
  const char* message;
};

TEST_F(ConvertTest, FailuresQuoteTheTextAsTyped) {
  const FailureCase cases[] = {
      {6, 5, "1e999", kInf, "The value 1e999 is too large."},
      {6, 5, "-1e999", -kInf, "The value -1e999 is too large."},
      {6, 5, " 1e999 ", kInf, "The value  1e999  is too large."},
      {6, 5, "1e-999", 0.0, "The value 1e-999 is too small."},
      {6, 5, "1e-999x", 0.0, "The value 1e-999x is too small."},
      {6, 5, "1e999abc", kInf, "The value 1e999abc is too large."},
      {6, 5, "1e-310", 1e-310, "The value 1e-310 is too small."},
      {6, 5, "12abc", 12.0, "Invalid number: 12abc"},
      {6, 5, "abc", 0.0, "Invalid number: abc"},
      {6, 5, "5 ", 5.0, "Invalid number: 5 "},
      {6, 5, "   ", 0.0, "Invalid number:    "},
      {6, 5, "-", 0.0, "Invalid number: -"},
      {6, 5, ".", 0.0, "Invalid number: ."},
      {6, 5, "1e", 1.0, "Invalid number: 1e"},
      {6, 5, "2e+", 2.0, "Invalid number: 2e+"},
      {6, 5, "1.5.2", 1.5, "Invalid number: 1.5.2"},
      {6, 5, "1,5", 1.0, "Invalid number: 1,5"},
      {6, 5, "inf", 0.0, "Invalid number: inf"},
      {6, 5, "-Infinity", 0.0, "Invalid number: -Infinity"},
      {6, 5, "nan", 0.0, "Invalid number: nan"},
      {6, 5, "0x1p3", 0.0, "Invalid number: 0x1p3"},
      {6, 6, "5", 5.0, "Invalid conversion Meter to Meter."},
      {6, 17, "5", 5.0, "Invalid conversion Meter to Null."},
      {0, 0, "5", 5.0, "Invalid conversion Null to Null."},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    const ConversionResult r = Convert(c.fromId, c.toId, c.text);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(c.message, r.message);
    EXPECT_EQ(c.value, r.value);
    EXPECT_EQ(std::signbit(c.value), std::signbit(r.value));
  }
}

TEST_F(ConvertTest, SameUnitTemperatureHasNoFormula) {
  CurrentConverter = &TemperatureConverter;
  for (const std::int32_t id : {CelsiusId, FahrenheitId, KelvinId}) {
    const std::string name = TemperatureConverter.UnitName(id);
    const ConversionResult r = Convert(id, id, "100");
    EXPECT_TRUE(r.failed) << name;
    EXPECT_EQ(100.0, r.value) << name;
    EXPECT_EQ("Invalid conversion " + name + " to " + name + ".", r.message);
  }
}

TEST_F(ConvertTest, UnderflowDoesNotLeakIntoTheNextCall) {
  ASSERT_TRUE(Convert(5, 6, "1e-999").failed);
  const ConversionResult r = Convert(5, 6, "5");
  EXPECT_FALSE(r.failed);
  EXPECT_EQ("", r.message);
  EXPECT_EQ(5000.0, r.value);
}

// The range is judged from the digits and the exponent together, however
// long the text: a million zeros must not hide a huge exponent.
TEST_F(ConvertTest, RangeOfVeryLongTexts) {
  const std::string zeros(1000000, '0');
  const ConversionResult large = Convert(5, 6, ("0." + zeros + "1e99999999").c_str());
  EXPECT_TRUE(large.failed);
  EXPECT_EQ(kInf, large.value);
  EXPECT_EQ(0u, large.message.find("The value 0.000")) << large.message.substr(0, 20);
  EXPECT_NE(std::string::npos, large.message.find("is too large."));

  const ConversionResult small = Convert(5, 6, ("1" + zeros + "0e-99999999").c_str());
  EXPECT_TRUE(small.failed);
  EXPECT_EQ(0.0, small.value);
  EXPECT_NE(std::string::npos, small.message.find("is too small."));

  // However many digits its exponent has, leading zeros included.
  const ConversionResult tiny = Convert(5, 6, ("0." + zeros + "1e000001500").c_str());
  EXPECT_TRUE(tiny.failed);
  EXPECT_NE(std::string::npos, tiny.message.find("is too small."));

  const ConversionResult fits = Convert(5, 6, ("1" + zeros + "e-1000000").c_str());
  EXPECT_FALSE(fits.failed) << fits.message.substr(fits.message.size() - 20);
  EXPECT_EQ(1000.0, fits.value);
}

struct SuccessCase {
  std::int32_t fromId;
  std::int32_t toId;
  const char* text;
  double value;
};

TEST_F(ConvertTest, AcceptedTexts) {
  const SuccessCase cases[] = {
      {5, 6, "", 0.0},          // nothing follows the empty number
      {5, 6, "  2.5", 2500.0},  // leading white space
      {5, 6, "\t+2", 2000.0},
      {5, 6, "\n\v\f\r 3", 3000.0},  // every white space of the "C" locale
      {5, 6, ".5", 500.0},
      {5, 6, "5.", 5000.0},
      {5, 6, "1E3", 1000000.0},
      {5, 6, "-0.001e+3", -1000.0},
      {5, 10, "1e308", kInf},  // an overflowing product is no error
      {3, 9, "1", 304.79999999999995},
      {6, 5, "2.2250738585072014e-308", 2.2250738585072014e-308 * 0.001},
  };
  for (const SuccessCase& c : cases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    const ConversionResult r = Convert(c.fromId, c.toId, c.text);
    EXPECT_FALSE(r.failed) << r.message;
    EXPECT_EQ("", r.message);
    EXPECT_EQ(c.value, r.value);
  }
}

}  // namespace
