// An oracle for the classic Windows runtime's "%.*f" and "%.*e" texts, independent of the
// program's formatter: glibc's "%.16e" gives the seventeen correctly rounded significant digits
// (exact ties settled away from zero), and integer arithmetic rounds those to the decimals, half
// up, with zeros for every position past them. For the native tests and the fuzz target.
#ifndef MENSURATOR_TESTS_RUNTIME_FORMAT_ORACLE_H
#define MENSURATOR_TESTS_RUNTIME_FORMAT_ORACLE_H

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace runtime_oracle {

// glibc's text for a "%.*<conversion>" format, in the current rounding mode.
inline std::string Printed(char conversion, int decimals, double value) {
  const char format[] = {'%', '.', '*', conversion, '\0'};
  std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, decimals, value)),
                   '\0');
  std::snprintf(&text[0], text.size() + 1, format, decimals, value);
  return text;
}

// Whether |value| lies exactly halfway between two texts with `decimals` digits after the point:
// its exact expansion goes on with a 5 and then only zeros. 1100 decimals print every digit a
// double has (at most 1074 after the point, 767 significant).
inline bool IsExactTie(char conversion, int decimals, double value) {
  const std::string exact = Printed(conversion, 1100, std::fabs(value));
  const std::size_t firstDropped = exact.find('.') + 1 + static_cast<std::size_t>(decimals);
  const std::size_t end = conversion == 'e' ? exact.find('e') : exact.size();
  return exact[firstDropped] == '5' && exact.find_first_not_of('0', firstDropped + 1) >= end;
}

// glibc rounds in the current rounding mode; toward the infinity on the value's side it settles
// an exact tie away from zero, as the Windows runtime does.
inline std::string PrintedRoundingTiesAway(char conversion, int decimals, double value) {
  if (!IsExactTie(conversion, decimals, value)) return Printed(conversion, decimals, value);
  std::fesetround(std::signbit(value) ? FE_DOWNWARD : FE_UPWARD);
  std::string text = Printed(conversion, decimals, value);
  std::fesetround(FE_TONEAREST);
  return text;
}

// |value| rounded to seventeen significant digits: digits * 10^(exponent - 16).
struct SeventeenDigits {
  bool negative = false;
  std::uint64_t digits = 0;
  int exponent = 0;
};

// Reads a "%.16e" text: [-]d.dddddddddddddddde[+-]x...
inline SeventeenDigits ReadSeventeenDigits(const std::string& text) {
  SeventeenDigits number;
  number.negative = text[0] == '-';
  const std::size_t lead = number.negative ? 1 : 0;
  number.digits = std::stoull(text.substr(lead, 1) + text.substr(lead + 2, 16));
  number.exponent = std::atoi(text.c_str() + text.find('e') + 1);
  return number;
}

inline SeventeenDigits GlibcSeventeenDigits(double value) {
  return ReadSeventeenDigits(PrintedRoundingTiesAway('e', 16, value));
}

// digits / 10^drop, rounded half up.
inline std::uint64_t DropDigits(std::uint64_t digits, int drop) {
  if (drop > 17) return 0;  // digits < 10^17 is below half of 10^18
  std::uint64_t unit = 1;
  for (int i = 0; i < drop; ++i) unit *= 10;
  return digits / unit + (digits % unit >= unit / 2 && drop > 0 ? 1 : 0);
}

// Puts the point before the last `decimals` digits of a whole number, padding it with leading
// zeros to one digit before the point.
inline std::string WithPoint(const SeventeenDigits& number, std::string whole, int decimals) {
  if (whole.size() < static_cast<std::size_t>(decimals) + 1) {
    whole.insert(0, decimals + 1 - whole.size(), '0');
  }
  if (decimals > 0) whole.insert(whole.size() - decimals, 1, '.');
  return (number.negative ? "-" : "") + whole;
}

inline std::string Fixed(const SeventeenDigits& number, int decimals) {
  const int shift = number.exponent - 16 + decimals;
  const std::string whole = shift >= 0 && number.digits != 0
                                ? std::to_string(number.digits) + std::string(shift, '0')
                                : std::to_string(DropDigits(number.digits, -shift));
  return WithPoint(number, whole, decimals);
}

inline std::string Scientific(const SeventeenDigits& number, int decimals) {
  std::uint64_t kept = DropDigits(number.digits, 16 - decimals);
  int exponent = number.exponent;
  if (std::to_string(kept).size() > static_cast<std::size_t>(decimals) + 1) {
    kept /= 10;  // 9.99... rounded up to 10.0...
    ++exponent;
  }
  char tail[16];
  std::snprintf(tail, sizeof tail, "e%+04d", exponent);
  return WithPoint(number, std::to_string(kept), decimals) + tail;
}

}  // namespace runtime_oracle

#endif
