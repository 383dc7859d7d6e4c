// Exact decimal expansion of doubles, and the msvcrt-style "%.*f" / "%.*e" texts built from its
// first seventeen significant digits.
#include "ui/result_format.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kMinExponentDigits = 3;
// The classic Windows runtime converts a double to this many significant digits, correctly
// rounded, and writes zeros for every digit past them.
constexpr int kRuntimeSignificantDigits = 17;

constexpr int kMantissaBits = 52;
constexpr int kExponentMask = 0x7ff;
constexpr int kExponentBias = 1075;  // IEEE bias 1023 plus the 52 mantissa bits
constexpr int kSubnormalExponent = 1 - kExponentBias;

// Limbs hold base-1e9 digits, least significant first: each fits 32 bits, and a limb times any
// factor below 2^32 plus carry fits 64 bits.
constexpr std::uint32_t kLimbBase = 1000000000;
constexpr int kLimbDigits = 9;
constexpr std::uint32_t kTwoToThe30 = 1u << 30;
constexpr int kTwoChunk = 30;
constexpr std::uint32_t kFiveToThe13 = 1220703125;
constexpr int kFiveChunk = 13;

// A non-negative value as decimal digits without leading zeros (empty for zero) and the number
// of those digits that stand before the decimal point (may be negative or exceed the length).
struct ExactDecimal {
  std::string digits;
  int pointPos = 0;
};

void MultiplyLimbs(std::vector<std::uint32_t>& limbs, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : limbs) {
    const std::uint64_t product = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(product % kLimbBase);
    carry = product / kLimbBase;
  }
  while (carry != 0) {
    limbs.push_back(static_cast<std::uint32_t>(carry % kLimbBase));
    carry /= kLimbBase;
  }
}

void MultiplyByPower(std::vector<std::uint32_t>& limbs, std::uint32_t base, int exponent,
                     std::uint32_t chunkFactor, int chunkExponent) {
  for (; exponent >= chunkExponent; exponent -= chunkExponent) MultiplyLimbs(limbs, chunkFactor);
  std::uint32_t rest = 1;
  for (; exponent > 0; --exponent) rest *= base;
  MultiplyLimbs(limbs, rest);
}

std::string LimbsToDigits(const std::vector<std::uint32_t>& limbs) {
  std::string digits = std::to_string(limbs.back());
  for (auto limb = limbs.rbegin() + 1; limb != limbs.rend(); ++limb) {
    char group[kLimbDigits];
    std::uint32_t rest = *limb;
    for (int i = kLimbDigits - 1; i >= 0; --i, rest /= 10) {
      group[i] = static_cast<char>('0' + rest % 10);
    }
    digits.append(group, kLimbDigits);
  }
  return digits;
}

// The exact decimal value of |value|; value must be finite.
// With |value| = m * 2^e, a negative e is handled as m * 5^-e / 10^-e, so all work is integral.
ExactDecimal ExpandExactly(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << kMantissaBits) - 1);
  const int biasedExponent = static_cast<int>(bits >> kMantissaBits) & kExponentMask;
  int exponent = kSubnormalExponent;
  if (biasedExponent != 0) {
    mantissa |= std::uint64_t{1} << kMantissaBits;
    exponent = biasedExponent - kExponentBias;
  }
  ExactDecimal result;
  if (mantissa == 0) return result;
  // Trailing zero bits only lengthen the expansion with zeros.
  while ((mantissa & 1) == 0 && exponent < 0) {
    mantissa >>= 1;
    ++exponent;
  }
  std::vector<std::uint32_t> limbs = {static_cast<std::uint32_t>(mantissa % kLimbBase),
                                      static_cast<std::uint32_t>(mantissa / kLimbBase)};
  if (exponent >= 0) {
    MultiplyByPower(limbs, 2, exponent, kTwoToThe30, kTwoChunk);
  } else {
    MultiplyByPower(limbs, 5, -exponent, kFiveToThe13, kFiveChunk);
  }
  while (limbs.size() > 1 && limbs.back() == 0) limbs.pop_back();
  result.digits = LimbsToDigits(limbs);
  result.pointPos = static_cast<int>(result.digits.size()) + std::min(exponent, 0);
  return result;
}

// Keeps the first `keep` digits, rounding half away from zero on the dropped ones. A carry out
// of the leading digit adds a digit in front and moves the point, so the digits after the point
// stay as many as before. Rounding away every digit leaves zero.
void RoundToLength(ExactDecimal& number, int keep) {
  const int length = static_cast<int>(number.digits.size());
  if (keep >= length) return;
  const bool roundUp = keep >= 0 && number.digits[keep] >= '5';
  number.digits.resize(std::max(keep, 0));
  if (!roundUp) {
    if (number.digits.empty()) number.pointPos = 0;
    return;
  }
  int position = keep - 1;
  for (; position >= 0 && number.digits[position] == '9'; --position) number.digits[position] = '0';
  if (position >= 0) {
    ++number.digits[position];
  } else {
    number.digits.insert(number.digits.begin(), '1');
    ++number.pointPos;
  }
}

// The seventeen significant digits the runtime works from; DigitAt supplies the zeros after them.
ExactDecimal ExpandAsRuntime(double value) {
  ExactDecimal number = ExpandExactly(value);
  RoundToLength(number, kRuntimeSignificantDigits);
  return number;
}

char DigitAt(const ExactDecimal& number, int index) {
  const bool inside = index >= 0 && index < static_cast<int>(number.digits.size());
  return inside ? number.digits[index] : '0';
}

int ClampDecimals(int decimals) {
  return std::clamp(decimals, kMinResultDecimals, kMaxResultDecimals);
}

// Writes the text for infinity or NaN into text and returns true; false for finite values.
bool FormatNonFinite(double value, std::string& text) {
  if (std::isnan(value)) {
    text = "nan";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-inf" : "inf";
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  std::string text;
  if (FormatNonFinite(value, text)) return text;
  decimals = ClampDecimals(decimals);
  ExactDecimal number = ExpandAsRuntime(value);
  RoundToLength(number, number.pointPos + decimals);
  if (std::signbit(value)) text += '-';
  if (number.pointPos <= 0) text += '0';
  for (int i = 0; i < number.pointPos; ++i) text += DigitAt(number, i);
  if (decimals > 0) text += '.';
  for (int i = 0; i < decimals; ++i) text += DigitAt(number, number.pointPos + i);
  return text;
}

std::string FormatScientific(double value, int decimals) {
  std::string text;
  if (FormatNonFinite(value, text)) return text;
  decimals = ClampDecimals(decimals);
  ExactDecimal number = ExpandAsRuntime(value);
  RoundToLength(number, decimals + 1);
  const int exponent = number.digits.empty() ? 0 : number.pointPos - 1;
  if (std::signbit(value)) text += '-';
  text += DigitAt(number, 0);
  if (decimals > 0) text += '.';
  for (int i = 1; i <= decimals; ++i) text += DigitAt(number, i);
  text += exponent < 0 ? "e-" : "e+";
  const std::string magnitude = std::to_string(std::abs(exponent));
  if (magnitude.size() < kMinExponentDigits) {
    text.append(kMinExponentDigits - magnitude.size(), '0');
  }
  text += magnitude;
  return text;
}
