// Text of a converted value in the form of the classic Windows runtime's "%.*f" and "%.*e"
// (msvcrt.dll), produced by our own exact decimal expansion so that every build, whatever C
// runtime it links, shows the same digits.
//
// As that runtime does, the value is first rounded to seventeen significant digits (half away
// from zero); that digit string is then rounded to the requested decimals (half away from zero
// again), and every position past the seventeenth significant digit is written as 0. The
// exponent of the scientific form has a sign and at least three digits ("1.25e+001"). A negative
// sign bit always shows, also for -0.0 and for values that round to zero ("-0.00").
// Deliberate departure from msvcrt: infinity is written "inf" or "-inf" (not "1.#INF") in both
// forms, and NaN is written "nan".
#ifndef MENSURATOR_UI_RESULT_FORMAT_H
#define MENSURATOR_UI_RESULT_FORMAT_H

#include <string>

// The range of decimal places the converter offers.
constexpr int kMinResultDecimals = 0;
constexpr int kMaxResultDecimals = 15;

// Returns value in plain decimal notation with the given number of digits after the point, as
// "%.*f" does (no point when decimals is 0). decimals is clamped into 0..15. Never fails.
std::string FormatFixed(double value, int decimals);

// Returns value as one digit, the given number of decimals, "e", sign and a three-digit
// exponent, as "%.*e" does (no point when decimals is 0). decimals is clamped into 0..15.
// Never fails.
std::string FormatScientific(double value, int decimals);

#endif
