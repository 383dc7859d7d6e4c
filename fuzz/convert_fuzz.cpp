// libFuzzer target for Convert: any of the five tables, any pair of ids and any text, checked
// against a reading of the number of our own (syntax scanned here, digits converted by glibc's
// strtod) and against the temperature formulas and the table's factors.
//
// Input: byte 0 picks the table, byte 1 the source id, byte 2 the target id (each 0..40); the
// bytes after them up to the first NUL are the text.
#include <locale.h>

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/conversion.h"
#include "engine/converter.h"
#include "tables/unit_tables.h"

namespace {

constexpr int kTableCount = 5;
constexpr int kIdCount = 41;  // 0..40: every unit id, 0 and one past the last

Converter* const kTables[kTableCount] = {&LengthConverter, &AreaConverter, &MassConverter,
                                         &VolumeConverter, &TemperatureConverter};

// A text that underflows: reading it must not leave anything behind for the next call.
constexpr char kUnderflowText[] = "1e-999";

struct Case {
  int table;
  std::int32_t fromId;
  std::int32_t toId;
  const char* text;
};

enum class Range { kInRange, kTooLarge, kTooSmall };

struct ExpectedNumber {
  double value;
  std::size_t end;  // offset just past the number; 0 when there is none
  Range range;
};

std::string Hex(const char* text) {
  std::string hex;
  char byte[4];
  for (const char* p = text; *p != '\0'; ++p) {
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(*p));
    hex += byte;
  }
  return hex.empty() ? "(empty)" : hex;
}

std::string Describe(const ConversionResult& result) {
  char head[96];
  std::snprintf(head, sizeof head, "failed=%d value=%a (%.17g) message=\"", result.failed,
                result.value, result.value);
  return head + result.message + "\"";
}

[[noreturn]] void Fail(const Case& input, const char* property, const ConversionResult& actual,
                       const ConversionResult& expected) {
  std::fprintf(stderr,
               "PROPERTY FAILED: %s\n  table %d, from %d, to %d, text bytes %s\n"
               "  actual:   %s\n  expected: %s\n",
               property, input.table, static_cast<int>(input.fromId), static_cast<int>(input.toId),
               Hex(input.text).c_str(), Describe(actual).c_str(), Describe(expected).c_str());
  std::abort();
}

bool SameBits(double a, double b) {
  std::uint64_t aBits;
  std::uint64_t bBits;
  std::memcpy(&aBits, &a, sizeof a);
  std::memcpy(&bBits, &b, sizeof b);
  return aBits == bBits;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t DigitRun(const char* p) {
  std::size_t n = 0;
  while (IsDigit(p[n])) ++n;
  return n;
}

// Length of the longest prefix in the plain decimal syntax: white space, sign, digits with an
// optional point (at least one digit on either side), then an exponent only if it has digits.
std::size_t DecimalPrefixLength(const char* text) {
  std::size_t i = 0;
  while (std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t wholeDigits = DigitRun(text + i);
  i += wholeDigits;
  std::size_t fractionDigits = 0;
  if (text[i] == '.') {
    fractionDigits = DigitRun(text + i + 1);
    if (wholeDigits + fractionDigits > 0) i += 1 + fractionDigits;
  }
  if (wholeDigits + fractionDigits == 0) return 0;
  if (text[i] == 'e' || text[i] == 'E') {
    std::size_t j = i + 1;
    if (text[j] == '+' || text[j] == '-') ++j;
    const std::size_t exponentDigits = DigitRun(text + j);
    if (exponentDigits > 0) i = j + exponentDigits;
  }
  return i;
}

// The prefix is copied so that strtod cannot read beyond the plain syntax (hexadecimal,
// "inf", "nan" are not numbers for the converter).
ExpectedNumber ReadExpected(const char* text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  const std::size_t length = DecimalPrefixLength(text);
  if (length == 0) return {0.0, 0, Range::kInRange};
  const std::string prefix(text, length);
  char* end = nullptr;
  errno = 0;
  const double value = strtod_l(prefix.c_str(), &end, cLocale);
  const bool rangeError = errno == ERANGE;
  if (end != prefix.c_str() + length) {
    std::fprintf(stderr, "ORACLE FAULT: strtod read %td of the %zu bytes of prefix %s\n",
                 end - prefix.c_str(), length, Hex(prefix.c_str()).c_str());
    std::abort();
  }
  Range range = Range::kInRange;
  if (std::isinf(value)) {
    range = Range::kTooLarge;
  } else if (std::fabs(value) < DBL_MIN && (value != 0.0 || rangeError)) {
    // Subnormal, or a non-zero number that came out as zero.
    range = Range::kTooSmall;
  }
  return {value, length, range};
}

bool TemperatureFormula(std::int32_t fromId, std::int32_t toId, double v, double& out) {
  constexpr std::int32_t kC = 37;
  constexpr std::int32_t kF = 38;
  constexpr std::int32_t kK = 39;
  if (fromId == kC && toId == kF) {
    out = v * 9.0 / 5.0 + 32.0;
  } else if (fromId == kC && toId == kK) {
    out = v + 273.15;
  } else if (fromId == kF && toId == kC) {
    out = (v - 32.0) * 5.0 / 9.0;
  } else if (fromId == kF && toId == kK) {
    out = (v - 32.0) * 5.0 / 9.0 + 273.15;
  } else if (fromId == kK && toId == kC) {
    out = v - 273.15;
  } else if (fromId == kK && toId == kF) {
    out = (v - 273.15) * 9.0 / 5.0 + 32.0;
  } else {
    return false;
  }
  return true;
}

ConversionResult Expected(const Case& input) {
  const ExpectedNumber number = ReadExpected(input.text);
  const std::string text = input.text;
  if (number.range == Range::kTooLarge) {
    return {true, number.value, "The value " + text + " is too large."};
  }
  if (number.range == Range::kTooSmall) {
    return {true, number.value, "The value " + text + " is too small."};
  }
  if (number.end != text.size()) return {true, number.value, "Invalid number: " + text};
  double converted;
  if (TemperatureFormula(input.fromId, input.toId, number.value, converted)) {
    return {false, converted, ""};
  }
  const Converter& table = *kTables[input.table];
  const double factor = table.Factor(input.fromId, input.toId);
  if (factor == HUGE_VAL) {
    return {true, number.value,
            "Invalid conversion " + table.UnitName(input.fromId) + " to " +
                table.UnitName(input.toId) + "."};
  }
  return {false, factor * number.value, ""};
}

void CheckResult(const Case& input, const ConversionResult& actual,
                 const ConversionResult& expected) {
  if (actual.failed == actual.message.empty()) {
    Fail(input, "failed is set exactly when there is a message", actual, expected);
  }
  if (actual.failed != expected.failed) Fail(input, "failed", actual, expected);
  if (actual.message != expected.message) Fail(input, "message", actual, expected);
  if (!SameBits(actual.value, expected.value)) Fail(input, "value bits", actual, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t textLength = strnlen(reinterpret_cast<const char*>(data + 3), size - 3);
  // Exactly as long as the text, so that AddressSanitizer sees any read past its end.
  const std::unique_ptr<char[]> text(new char[textLength + 1]);
  std::memcpy(text.get(), data + 3, textLength);
  text[textLength] = '\0';

  const Case input{data[0] % kTableCount, data[1] % kIdCount, data[2] % kIdCount, text.get()};
  CurrentConverter = kTables[input.table];
  const ConversionResult expected = Expected(input);
  CheckResult(input, Convert(input.fromId, input.toId, input.text), expected);

  Convert(input.fromId, input.toId, kUnderflowText);
  CheckResult(input, Convert(input.fromId, input.toId, input.text), expected);
  if (CurrentConverter != kTables[input.table]) {
    std::fprintf(stderr, "PROPERTY FAILED: Convert re-pointed CurrentConverter\n");
    std::abort();
  }
  return 0;
}
