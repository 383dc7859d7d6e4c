// libFuzzer target for FormatFixed and FormatScientific: every double bit pattern with any number
// of decimals, checked against the oracle of the classic Windows runtime's texts (glibc's
// seventeen correctly rounded digits, rounded again to the decimals) and against the texts' shape.
//
// Input: bytes 0..7 are the double (host byte order), byte 8 gives the decimals: byte % 18 - 1,
// so -1 and 16 check that out-of-range requests are clamped into 0..15.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/runtime_format_oracle.h"
#include "ui/result_format.h"

namespace {

constexpr std::size_t kInputSize = 9;
constexpr int kDecimalChoices = 18;
constexpr int kMinDecimals = 0;
constexpr int kMaxDecimals = 15;
constexpr std::size_t kMinExponentDigits = 3;

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
  const runtime_oracle::SeventeenDigits digits = runtime_oracle::GlibcSeventeenDigits(value);
  CheckText("FormatFixed digits", value, requested, fixed, runtime_oracle::Fixed(digits, decimals));
  CheckText("FormatScientific digits", value, requested, scientific,
            runtime_oracle::Scientific(digits, decimals));
  return 0;
}
