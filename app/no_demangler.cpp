// Stands in for the C++ runtime's name demangler, which only the runtime's default handler of an
// uncaught exception calls, to print the exception's type on standard error: a GUI program has
// none. The program links with -Wl,--wrap=__cxa_demangle, so the 46 KB demangler is left out.
#include <cstddef>

// Answers as the demangler does for a name it cannot read: no text, status -2. The handler then
// prints the mangled name instead.
extern "C" char* __wrap___cxa_demangle(const char*, char*, std::size_t*, int* status) {
  if (status != nullptr) *status = -2;
  return nullptr;
}
