// The C++ runtime's failure hooks, for the shipped program: it catches no exception, so where the
// standard library would throw, the process ends at once through the fatal reporter instead.
// Defining every helper of the runtime's throwing object keeps that object, the exception classes
// it brings and their copy-on-write strings out of the program; the replaced operator new keeps
// the runtime's throwing one out. Not for the tests: GoogleTest may catch.
#include <windows.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "app/fatal_error.h"

namespace {

[[noreturn]] void OutOfMemory() { ReportErrorAndExit("Out of memory.", ERROR_NOT_ENOUGH_MEMORY); }

// A check of the standard library failed, which only a fault of the program can cause. `where`
// names the check, such as "basic_string::_M_create", before any ": " and details.
[[noreturn]] void InternalError(const char* where) {
  static const char kLead[] = "Internal error: ";
  char text[128];
  std::size_t length = sizeof kLead - 1;
  std::memcpy(text, kLead, length);
  for (const char* c = where;
       *c != '\0' && !(c[0] == ':' && c[1] == ' ') && length + 2 < sizeof text; ++c) {
    text[length++] = *c;
  }
  text[length++] = '.';
  text[length] = '\0';
  ReportErrorAndExit(text, ERROR_INTERNAL_ERROR);
}

}  // namespace

void* operator new(std::size_t size) {
  void* memory = std::malloc(size != 0 ? size : 1);
  if (memory == nullptr) OutOfMemory();
  return memory;
}

namespace std {

void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_bad_cast() { InternalError("bad_cast"); }
void __throw_bad_exception() { InternalError("bad_exception"); }
void __throw_bad_typeid() { InternalError("bad_typeid"); }
void __throw_domain_error(const char* what) { InternalError(what); }
void __throw_invalid_argument(const char* what) { InternalError(what); }
void __throw_length_error(const char* what) { InternalError(what); }
void __throw_logic_error(const char* what) { InternalError(what); }
void __throw_out_of_range(const char* what) { InternalError(what); }

// The library's checks name themselves at the start, in the text or as its first argument.
void __throw_out_of_range_fmt(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const char* where = std::strncmp(format, "%s", 2) == 0 ? va_arg(arguments, const char*) : format;
  va_end(arguments);
  InternalError(where);
}

void __throw_overflow_error(const char* what) { InternalError(what); }
void __throw_range_error(const char* what) { InternalError(what); }
void __throw_runtime_error(const char* what) { InternalError(what); }
void __throw_underflow_error(const char* what) { InternalError(what); }

}  // namespace std
