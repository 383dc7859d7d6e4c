// Checks the result texts of the classic Windows runtime against known cases and over a large
// random sample: natively against an oracle built on glibc's seventeen correctly rounded digits;
// in the Windows build against msvcrt.dll itself, where Wine's exact digits must agree with it.
#include "ui/result_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include "tests/runtime_format_oracle.h"
#endif

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct KnownCase {
  double value;
  int decimals;
  const char* fixed;
  const char* scientific;
};

const KnownCase kKnownCases[] = {
    {0.1, 15, "0.100000000000000", "1.000000000000000e-001"},
    {0.125, 2, "0.13", "1.25e-001"},  // exact ties round away from zero
    {-0.125, 2, "-0.13", "-1.25e-001"},
    {0.125, 0, "0", "1e-001"},
    {2.5, 0, "3", "3e+000"},
    {0.5, 0, "1", "5e-001"},
    {1.5, 0, "2", "2e+000"},
    {0.25, 1, "0.3", "2.5e-001"},
    {0.015625, 5, "0.01563", "1.56250e-002"},
    {12.5, 2, "12.50", "1.25e+001"},
    {12.7, 0, "13", "1e+001"},
    {1.0005, 3, "1.000", "1.000e+000"},  // seventeen digits 1.0004999999999999 stay below the tie
    {9.995, 2, "9.99", "9.99e+000"},
    {9.6, 0, "10", "1e+001"},  // carries into a new leading digit
    {99.5, 0, "100", "1e+002"},
    {0.9999, 2, "1.00", "1.00e+000"},
    {-999.9996, 3, "-1000.000", "-1.000e+003"},
    {0.0, 6, "0.000000", "0.000000e+000"},
    {0.0, 2, "0.00", "0.00e+000"},
    {-0.0, 2, "-0.00", "-0.00e+000"},
    {-0.001, 2, "-0.00", "-1.00e-003"},  // the sign stays when the value rounds to zero
    {3.141592653589793, 0, "3", "3e+000"},
    {3.141592653589793, 4, "3.1416", "3.1416e+000"},
    {3.141592653589793, 15, "3.141592653589793", "3.141592653589793e+000"},
    {1e-310, 15, "0.000000000000000", "9.999999999999969e-311"},
    {5e-324, 15, "0.000000000000000", "4.940656458412465e-324"},
    {DBL_MIN, 15, "0.000000000000000", "2.225073858507201e-308"},
    {DBL_MAX, 15, nullptr, "1.797693134862316e+308"},
    {-1e300, 1, nullptr, "-1.0e+300"},
    {123456789.0, 1, "123456789.0", "1.2e+008"},
    {2.5, -4, "3", "3e+000"},  // out-of-range decimals are clamped
    {0.1, 99, "0.100000000000000", "1.000000000000000e-001"},
    // Seventeen significant digits, then zeros; both roundings go half away from zero.
    {304.79999999999995, 15, "304.799999999999950", "3.048000000000000e+002"},  // 1 Feet in mm
    {1 / 6.21371192237334e-06, 15, "160934.399999999990000", "1.609344000000000e+005"},  // Mile
    {1 / 1.0000000000000002e-13, 15, "9999999999999.998000000000000", "9.999999999999998e+012"},
    {0x1p80, 0, "1208925819614629200000000", "1e+024"},
    {1234567890123456.25, 1, "1234567890123456.3", "1.2e+015"},  // a tie at the 17th digit
    {0.8476297370096515, 15, "0.847629737009652", "8.476297370096515e-001"},  // ...6514960 -> 65150
    {0.6204802478914665, 15, "0.620480247891467", "6.204802478914665e-001"},
    {0.4279811958397205, 15, "0.427981195839721", "4.279811958397205e-001"},
    {kInf, 2, "inf", "inf"},
    {-kInf, 0, "-inf", "-inf"},
    {std::numeric_limits<double>::quiet_NaN(), 3, "nan", "nan"},
};

TEST(ResultFormatTest, KnownCases) {
  for (const KnownCase& known : kKnownCases) {
    SCOPED_TRACE(testing::Message() << std::hexfloat << known.value << " with " << known.decimals);
    if (known.fixed != nullptr) {
      EXPECT_EQ(FormatFixed(known.value, known.decimals), known.fixed);
    }
    EXPECT_EQ(FormatScientific(known.value, known.decimals), known.scientific);
  }
}

TEST(ResultFormatTest, HugeValuesGiveSeventeenDigitsThenZeros) {
  EXPECT_EQ(FormatFixed(1e300, 2), "10000000000000001" + std::string(284, '0') + ".00");
  const std::string largest = FormatFixed(-DBL_MAX, 15);
  EXPECT_EQ(largest, "-17976931348623157" + std::string(292, '0') + "." + std::string(15, '0'));
}

// Values over the whole range: raw bit patterns, short decimals, and dyadic fractions, which
// often lie exactly on a rounding tie. Non-finite bit patterns are left to the known cases.
double RandomFiniteValue(std::mt19937_64& random) {
  double value = 0;
  switch (random() % 3) {
    case 0:
      do {
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
      } while (!std::isfinite(value));
      return value;
    case 1: {
      const std::string text = std::to_string(random() % 10000000) + "e" +
                               std::to_string(static_cast<int>(random() % 41) - 20);
      value = std::strtod(text.c_str(), nullptr);
      break;
    }
    default:
      value =
          std::ldexp(static_cast<double>(random() % 20000000), -static_cast<int>(random() % 28));
  }
  return random() % 2 ? -value : value;
}

// Edge values at every precision, then random value/precision pairs from a fixed seed.
std::vector<std::pair<double, int>> SamplePairs(int randomCount) {
  const double edges[] = {0.0,        -0.0,
                          5e-324,     DBL_MIN,
                          DBL_MAX,    -DBL_MAX,
                          1e300,      0.5,
                          2.5,        -2.5,
                          9.5,        99.5,
                          0.125,      1.0005,
                          9.995,      1e-310,
                          0.1,        0.9999,
                          999999.5,   4503599627370495.5,
                          1e15 + 0.5, 0.9999999999999999};
  std::vector<std::pair<double, int>> pairs;
  for (double edge : edges) {
    for (int decimals = 0; decimals <= 15; ++decimals) pairs.emplace_back(edge, decimals);
  }
  std::mt19937_64 random(20240611);
  for (int i = 0; i < randomCount; ++i) {
    const double value = RandomFiniteValue(random);
    pairs.emplace_back(value, static_cast<int>(random() % 16));
  }
  return pairs;
}

#ifdef _WIN32

using SnprintfFunction = int(__cdecl*)(char*, std::size_t, const char*, ...);

// Taken from msvcrt.dll itself: mingw's headers may route printf-family names to mingw's own
// printf, which rounds ties to even and is no oracle for what the dialog shows.
SnprintfFunction MsvcrtSnprintf() {
  const FARPROC procedure = GetProcAddress(LoadLibraryA("msvcrt.dll"), "_snprintf");
  return reinterpret_cast<SnprintfFunction>(reinterpret_cast<void (*)()>(procedure));
}

std::string MsvcrtFormat(SnprintfFunction snprintfFunction, const char* format, double value,
                         int decimals) {
  char buffer[512];
  snprintfFunction(buffer, sizeof buffer, format, decimals, value);
  return buffer;
}

// Wine's msvcrt writes the exact digits of a double where Windows' writes seventeen and then
// zeros. The two agree when at most seventeen significant digits are shown and the seventeen-digit
// string does not lie exactly halfway at the last digit shown: only there does rounding it differ
// from rounding the exact value. `seventeen` is msvcrt's "%.16e" of the value.
bool ExactDigitsAgree(const std::string& seventeen, char conversion, int decimals) {
  const std::size_t lead = seventeen[0] == '-' ? 1 : 0;
  const std::string digits = seventeen.substr(lead, 1) + seventeen.substr(lead + 2, 16);
  const int exponent = std::atoi(seventeen.c_str() + seventeen.find('e') + 1);
  const int shown = decimals + 1 + (conversion == 'f' ? exponent : 0);
  if (shown > 17) return false;
  const bool halfway = shown >= 0 && shown < 17 && digits[shown] == '5' &&
                       digits.find_first_not_of('0', shown + 1) == std::string::npos;
  return !halfway;
}

TEST(ResultFormatTest, MatchesMsvcrtOnLargeSample) {
  const SnprintfFunction msvcrt = MsvcrtSnprintf();
  ASSERT_NE(msvcrt, nullptr);
  ASSERT_EQ(MsvcrtFormat(msvcrt, "%.*f", 2.5, 0), "3") << "not msvcrt's own rounding";
  const bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
  const auto pairs = SamplePairs(200000);
  std::size_t compared = 0;
  for (const auto& [value, decimals] : pairs) {
    const std::string seventeen = MsvcrtFormat(msvcrt, "%.*e", value, 16);
    for (char conversion : {'f', 'e'}) {
      if (underWine && !ExactDigitsAgree(seventeen, conversion, decimals)) continue;
      ++compared;
      const char format[] = {'%', '.', '*', conversion, '\0'};
      ASSERT_EQ(
          conversion == 'f' ? FormatFixed(value, decimals) : FormatScientific(value, decimals),
          MsvcrtFormat(msvcrt, format, value, decimals))
          << std::hexfloat << value << " with %." << decimals << conversion;
    }
  }
  EXPECT_GT(compared, pairs.size()) << "too few texts where Wine's digits must agree";
}

#else

TEST(ResultFormatTest, OracleRoundsSeventeenDigitsThenTheDecimals) {
  using namespace runtime_oracle;
  EXPECT_EQ(Printed('f', 0, 2.5), "2") << "glibc rounds ties to even";
  EXPECT_EQ(PrintedRoundingTiesAway('f', 0, 2.5), "3");
  EXPECT_EQ(PrintedRoundingTiesAway('e', 1, -0.125), "-1.3e-01");
  EXPECT_FALSE(IsExactTie('f', 3, 1.0005));
  EXPECT_TRUE(IsExactTie('e', 16, -1234567890123456.25));  // eighteen digits, the last a 5
  EXPECT_EQ(Fixed(GlibcSeventeenDigits(-1234567890123456.25), 1), "-1234567890123456.3");
  EXPECT_EQ(Fixed(GlibcSeventeenDigits(0.8476297370096515), 15), "0.847629737009652");
  EXPECT_EQ(Scientific(GlibcSeventeenDigits(-9.96), 1), "-1.0e+001");
  EXPECT_EQ(Fixed(GlibcSeventeenDigits(-0.0), 2), "-0.00");
}

TEST(ResultFormatTest, MatchesTheSeventeenDigitOracleOnLargeSample) {
  int ties = 0;
  for (const auto& [value, decimals] : SamplePairs(200000)) {
    ties += runtime_oracle::IsExactTie('e', 16, value);
    const runtime_oracle::SeventeenDigits digits = runtime_oracle::GlibcSeventeenDigits(value);
    ASSERT_EQ(FormatFixed(value, decimals), runtime_oracle::Fixed(digits, decimals))
        << std::hexfloat << value << " with %." << decimals << "f";
    ASSERT_EQ(FormatScientific(value, decimals), runtime_oracle::Scientific(digits, decimals))
        << std::hexfloat << value << " with %." << decimals << "e";
  }
  EXPECT_GT(ties, 500) << "the sample should hold exact ties at the seventeenth digit";
}

#endif

}  // namespace
