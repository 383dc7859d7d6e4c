// Scans the plain decimal syntax itself and leaves the correctly rounded
// conversion to std::from_chars, which does not depend on the C runtime.
#include "engine/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace {

constexpr std::int64_t kExponentCap = 100000000000000000;  // 10^17

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// White space as isspace() sees it in the "C" locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

ParsedNumber ReadDecimal(const char* text) {
  const char* p = text;
  while (IsSpace(*p)) ++p;

  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* const mantissaStart = p;

  // The decimal exponent of the first non-zero digit, counted so that
  // out-of-range results can be told apart as too large or too small.
  std::int64_t leadExponent = 0;
  bool seenNonZero = false;
  std::int64_t digitsBeforePoint = 0;
  std::size_t digitCount = 0;
  while (IsDigit(*p)) {
    if (!seenNonZero && *p != '0') seenNonZero = true;
    if (seenNonZero) ++digitsBeforePoint;
    ++digitCount;
    ++p;
  }
  if (seenNonZero) leadExponent = digitsBeforePoint - 1;
  if (*p == '.') {
    const char* const afterPoint = p + 1;
    const char* q = afterPoint;
    while (IsDigit(*q)) {
      if (!seenNonZero && *q != '0') {
        seenNonZero = true;
        leadExponent = -static_cast<std::int64_t>(q - afterPoint) - 1;
      }
      ++digitCount;
      ++q;
    }
    if (digitCount > 0) p = q;
  }
  if (digitCount == 0) return {0.0, 0, NumberRange::kInRange};

  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    bool exponentNegative = false;
    if (*q == '+' || *q == '-') {
      exponentNegative = *q == '-';
      ++q;
    }
    if (IsDigit(*q)) {
      std::int64_t exponent = 0;
      while (IsDigit(*q)) {
        // Saturate far beyond any digit count a text can have, so that the
        // sign of the sum below still tells too large from too small.
        if (exponent < kExponentCap) exponent = exponent * 10 + (*q - '0');
        ++q;
      }
      leadExponent += exponentNegative ? -exponent : exponent;
      p = q;
    }
  }

  ParsedNumber result{0.0, static_cast<std::size_t>(p - text), NumberRange::kInRange};
  const auto parsed = std::from_chars(mantissaStart, p, result.value, std::chars_format::general);
  if (parsed.ec == std::errc::result_out_of_range) {
    const bool tooLarge = seenNonZero && leadExponent > 0;
    result.value = tooLarge ? HUGE_VAL : 0.0;
    result.range = tooLarge ? NumberRange::kTooLarge : NumberRange::kTooSmall;
  } else if (std::isinf(result.value)) {
    result.range = NumberRange::kTooLarge;
  } else if (seenNonZero && std::fpclassify(result.value) != FP_NORMAL) {
    result.range = NumberRange::kTooSmall;
  }
  if (negative) result.value = -result.value;
  return result;
}
