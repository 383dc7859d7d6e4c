// Reading a typed number: plain decimal notation only, the same in every
// build whatever C runtime is linked.
#ifndef MENSURATOR_ENGINE_NUMBER_TEXT_H
#define MENSURATOR_ENGINE_NUMBER_TEXT_H

#include <cstddef>

enum class NumberRange { kInRange, kTooLarge, kTooSmall };

struct ParsedNumber {
  double value;       // nearest double; +-infinity if too large; 0 if no number
  std::size_t end;    // offset just past the number; 0 if no number was formed
  NumberRange range;  // kTooSmall also for a non-zero number below the normal range
};

// Reads the longest prefix of text that is leading white space, an optional
// sign, digits with an optional point (or a point and digits) and an optional
// exponent. Infinity, not-a-number and hexadecimal forms are not numbers here.
ParsedNumber ReadDecimal(const char* text);

#endif
