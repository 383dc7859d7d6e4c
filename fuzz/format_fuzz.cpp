// libFuzzer target for FormatFixed and FormatScientific: every double bit pattern with any number
// of decimals, checked against glibc's "%.*f" and "%.*e" adjusted to the Windows runtime's
// habits (three-digit exponent, exact ties rounded away from zero) and against the texts' shape.
//
// Input: bytes 0..7 are the double (host byte order), byte 8 gives the decimals: byte % 18 - 1,
// so -1 and 16 check that out-of-range requests are clamped into 0..15.
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/result_format.h"

namespace {

constexpr std::size_t kInputSize = 9;
constexpr int kDecimalChoices = 18;
constexpr int kMinDecimals = 0;
constexpr int kMaxDecimals = 15;
constexpr std::size_t kMinExponentDigits = 3;
// More digits than any double's exact decimal expansion has (at most 1074 after the point, 767
// significant), so that glibc prints the exact value.
constexpr int kExactDecimals = 1100;

[[noreturn]] void Fail(const char* property, double value, int decimals, const std::string& actual,
                       const std::string& expected) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::fprintf(stderr,
               "PROPERTY FAILED: %s\n  value %a (bits %016llx), decimals %d\n"
               "  actual:   \"%s\"\n  expected: \"%s\"\n",
               property, value, static_cast<unsigned long long>(bits), decimals, actual.c_str(),
               expected.c_str());
  std::abort();
}

std::string Print(const char* format, int decimals, double value) {
  const int length = std::snprintf(nullptr, 0, format, decimals, value);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, decimals, value);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// glibc rounds in the current rounding mode; rounding toward the infinity on the value's side
// gives the text rounded half away from zero whenever the dropped digits are an exact tie.
std::string PrintRoundedAway(const char* format, int decimals, double value) {
  const int savedMode = std::fegetround();
  std::fesetround(std::signbit(value) ? FE_DOWNWARD : FE_UPWARD);
  std::string text = Print(format, decimals, value);
  std::fesetround(savedMode);
  return text;
}

// Whether the digits of an exact text after the first `decimals` ones past the point are
// exactly a 5 followed by zeros only (up to the exponent, if any).
bool IsTie(const std::string& exact, int decimals) {
  const std::size_t point = exact.find('.');
  if (point == std::string::npos) return false;
  const std::size_t first = point + 1 + static_cast<std::size_t>(decimals);
  const std::size_t end = std::min(exact.find('e'), exact.size());
  if (first >= end || exact[first] != '5') return false;
  return exact.find_first_not_of('0', first + 1) >= end;
}

std::string Expected(const char* format, int decimals, double value) {
  const std::string exact = Print(format, kExactDecimals, value);
  return IsTie(exact, decimals) ? PrintRoundedAway(format, decimals, value)
                                : Print(format, decimals, value);
}

std::string WidenExponent(std::string text) {
  const std::size_t digits = text.find('e') + 2;
  const std::size_t width = text.size() - digits;
  if (width < kMinExponentDigits) text.insert(digits, kMinExponentDigits - width, '0');
  return text;
}

bool AllDigits(const std::string& text, std::size_t begin, std::size_t end) {
  if (begin > end || end > text.size()) return false;
  return std::all_of(text.begin() + begin, text.begin() + end,
                     [](char c) { return c >= '0' && c <= '9'; });
}

// [-]d+ then, only for decimals > 0, a point and exactly that many digits.
bool IsFixedShape(const std::string& text, int decimals) {
  const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  const std::size_t tail = decimals > 0 ? decimals + 1 : 0;  // the point and the decimals
  if (text.size() < start + 1 + tail) return false;
  const std::size_t point = text.size() - tail;
  if (!AllDigits(text, start, point)) return false;
  return decimals == 0 || (text[point] == '.' && AllDigits(text, point + 1, text.size()));
}

// [-]d then, only for decimals > 0, a point and that many digits; then e, a sign and at least
// three exponent digits.
bool IsScientificShape(const std::string& text, int decimals) {
  const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  const std::size_t e = start + 1 + (decimals > 0 ? decimals + 1 : 0);
  if (text.size() < e + 2 + kMinExponentDigits) return false;
  if (!AllDigits(text, start, start + 1)) return false;
  if (decimals > 0 && (text[start + 1] != '.' || !AllDigits(text, start + 2, e))) return false;
  return text[e] == 'e' && (text[e + 1] == '+' || text[e + 1] == '-') &&
         AllDigits(text, e + 2, text.size());
}

void CheckText(const char* property, double value, int decimals, const std::string& actual,
               const std::string& expected) {
  if (actual != expected) Fail(property, value, decimals, actual, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kInputSize) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  const int requested = data[8] % kDecimalChoices - 1;
  const int decimals = std::clamp(requested, kMinDecimals, kMaxDecimals);

  const std::string fixed = FormatFixed(value, requested);
  const std::string scientific = FormatScientific(value, requested);

  if (std::isnan(value)) {
    CheckText("FormatFixed of NaN", value, requested, fixed, "nan");
    CheckText("FormatScientific of NaN", value, requested, scientific, "nan");
    return 0;
  }
  if (std::isinf(value)) {
    const std::string infinity = value < 0 ? "-inf" : "inf";
    CheckText("FormatFixed of infinity", value, requested, fixed, infinity);
    CheckText("FormatScientific of infinity", value, requested, scientific, infinity);
    return 0;
  }

  if (!IsFixedShape(fixed, decimals)) Fail("FormatFixed shape", value, requested, fixed, "");
  if (!IsScientificShape(scientific, decimals)) {
    Fail("FormatScientific shape", value, requested, scientific, "");
  }
  CheckText("FormatFixed digits", value, requested, fixed, Expected("%.*f", decimals, value));
  CheckText("FormatScientific digits", value, requested, scientific,
            WidenExponent(Expected("%.*e", decimals, value)));
  return 0;
}
