// Number reading against an outside corpus of decimal texts and the exact
// doubles they denote, through Convert with the factor 1.0 of Cubic
// decimeter to Liter.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/conversion.h"
#include "tables/unit_tables.h"

namespace {

constexpr std::int32_t kCubicDecimeter = 31;
constexpr std::int32_t kLiter = 35;

std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(NumberCorpus, EveryTextReadsToItsExactDouble) {
  Converter* const saved = CurrentConverter;
  CurrentConverter = &VolumeConverter;
  ASSERT_EQ(1.0, CurrentConverter->Factor(kCubicDecimeter, kLiter));

  const char* const folder = std::getenv("MENSURATOR_TESTDATA_DIR");
  std::ifstream corpus(std::string(folder != nullptr ? folder : MENSURATOR_TESTDATA_DIR) +
                       "/decimal-to-double/numbers.txt");
  ASSERT_TRUE(corpus) << "cannot open the corpus";
  int lines = 0;
  int tooLarge = 0;
  int tooSmall = 0;
  std::string line;
  while (std::getline(corpus, line)) {
    std::istringstream fields(line);
    std::string half, single, doubleHex, text;
    fields >> half >> single >> doubleHex >> text;
    ASSERT_EQ(16u, doubleHex.size()) << line;
    const std::uint64_t expectedBits = std::stoull(doubleHex, nullptr, 16);
    ++lines;

    const ConversionResult r = Convert(kCubicDecimeter, kLiter, text.c_str());
    EXPECT_EQ(expectedBits, BitsOf(r.value)) << text;

    const bool overflows = expectedBits == 0x7FF0000000000000u;
    const bool nonZeroText = text.find_first_of("123456789") < text.find_first_of("eE");
    const bool belowNormal = (expectedBits >> 52) == 0 && nonZeroText;
    if (overflows) {
      ++tooLarge;
      EXPECT_EQ("The value " + text + " is too large.", r.message);
    } else if (belowNormal) {
      ++tooSmall;
      EXPECT_EQ("The value " + text + " is too small.", r.message);
    } else {
      EXPECT_FALSE(r.failed) << text << ": " << r.message;
    }
  }
  EXPECT_EQ(16868, lines);
  std::cout << lines << " texts, " << tooLarge << " too large, " << tooSmall << " too small\n";
  CurrentConverter = saved;
}

}  // namespace
