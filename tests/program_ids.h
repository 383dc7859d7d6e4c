// The ids by which the outside world knows the running program, written out rather than taken
// from the program's own header, so that a changed id shows up in the tests that drive it.
#ifndef MENSURATOR_TESTS_PROGRAM_IDS_H
#define MENSURATOR_TESTS_PROGRAM_IDS_H

#include <windows.h>

namespace program_ids {

constexpr int kValueId = 1001;
constexpr int kCategoryId = 1008;
constexpr int kFromUnitId = 1000;
constexpr int kToUnitId = 1002;
constexpr int kResultId = 1003;
constexpr int kResultSciId = 1009;
constexpr int kDecimalsId = 1007;
constexpr int kSpinId = 1006;
constexpr int kCloseId = 1004;
constexpr int kMenuId = 109;
constexpr UINT kAboutCommand = 104;
constexpr UINT kExitCommand = 105;

}  // namespace program_ids

#endif
