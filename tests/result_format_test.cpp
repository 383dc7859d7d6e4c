// Checks the msvcrt-style result texts against known cases and against a real printf over a
// large random sample: msvcrt itself in the Windows build, glibc (with ties settled) natively.
#include "ui/result_format.h"

#include <gtest/gtest.h>

#include <cfenv>
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
    {1.0005, 3, "1.000", "1.000e+000"},  // the double lies just below the tie
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

TEST(ResultFormatTest, HugeValuesGiveEveryExactDigit) {
  EXPECT_EQ(FormatFixed(1e300, 0),
            "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786"
            "3713750804478640437044438328838781769425232353604305756447921847867069828483872009265"
            "7580373783023379478809005936895323497079994508111903896764088007465274278014249457925"
            "8788820056842838115669472196386865459400540160");
  const std::string largest = FormatFixed(-DBL_MAX, 15);
  EXPECT_EQ(largest.size(), 1u + 309u + 1u + 15u);
  EXPECT_EQ(largest.substr(0, 18), "-17976931348623157");
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

TEST(ResultFormatTest, MatchesMsvcrtOnLargeSample) {
  const SnprintfFunction msvcrt = MsvcrtSnprintf();
  ASSERT_NE(msvcrt, nullptr);
  ASSERT_EQ(MsvcrtFormat(msvcrt, "%.*f", 2.5, 0), "3") << "not msvcrt's own rounding";
  for (const auto& [value, decimals] : SamplePairs(200000)) {
    ASSERT_EQ(FormatFixed(value, decimals), MsvcrtFormat(msvcrt, "%.*f", value, decimals))
        << std::hexfloat << value << " with " << decimals;
    ASSERT_EQ(FormatScientific(value, decimals), MsvcrtFormat(msvcrt, "%.*e", value, decimals))
        << std::hexfloat << value << " with " << decimals;
  }
}

#else

// glibc's text, its exponent widened to msvcrt's three digits.
std::string GlibcFormat(char conversion, double value, int decimals) {
  const char format[] = {'%', '.', '*', conversion, '\0'};
  std::vector<char> buffer(std::snprintf(nullptr, 0, format, decimals, value) + 1);
  std::snprintf(buffer.data(), buffer.size(), format, decimals, value);
  std::string text(buffer.data());
  const std::size_t exponentStart = text.find('e');
  if (exponentStart != std::string::npos && text.size() - exponentStart == 4) {
    text.insert(exponentStart + 2, 1, '0');
  }
  return text;
}

// glibc rounds by the current rounding mode; directed away from zero it settles exact ties the
// way msvcrt does.
std::string GlibcRoundedAwayFromZero(char conversion, double value, int decimals) {
  std::fesetround(std::signbit(value) ? FE_DOWNWARD : FE_UPWARD);
  const std::string text = GlibcFormat(conversion, value, decimals);
  std::fesetround(FE_TONEAREST);
  return text;
}

// True when value lies exactly halfway between two texts with the given decimals: the exact
// expansion continues with a 5 and then only zeros. 1100 decimals print every digit a double
// has (at most 1074 after the point, 767 significant).
bool IsExactTie(char conversion, double value, int decimals) {
  const std::string exact = GlibcFormat(conversion, value, 1100);
  const std::size_t firstDropped = exact.find('.') + 1 + decimals;
  const std::size_t end = conversion == 'e' ? exact.find('e') : exact.size();
  return exact[firstDropped] == '5' && exact.find_first_not_of('0', firstDropped + 1) >= end;
}

TEST(ResultFormatTest, GlibcOracleSettlesTiesAwayFromZero) {
  EXPECT_EQ(GlibcFormat('f', 2.5, 0), "2");
  EXPECT_EQ(GlibcRoundedAwayFromZero('f', 2.5, 0), "3");
  EXPECT_EQ(GlibcRoundedAwayFromZero('e', -0.125, 1), "-1.3e-001");
  EXPECT_TRUE(IsExactTie('e', 0.125, 1));
  EXPECT_FALSE(IsExactTie('f', 1.0005, 3));
}

TEST(ResultFormatTest, MatchesGlibcOnLargeSample) {
  int ties = 0;
  for (const auto& [value, decimals] : SamplePairs(40000)) {
    for (char conversion : {'f', 'e'}) {
      const bool tie = IsExactTie(conversion, value, decimals);
      ties += tie;
      const std::string expected = tie ? GlibcRoundedAwayFromZero(conversion, value, decimals)
                                       : GlibcFormat(conversion, value, decimals);
      const std::string actual =
          conversion == 'f' ? FormatFixed(value, decimals) : FormatScientific(value, decimals);
      ASSERT_EQ(actual, expected) << std::hexfloat << value << " with %." << decimals << conversion;
    }
  }
  EXPECT_GT(ties, 500) << "the sample should exercise rounding ties";
}

#endif

}  // namespace
