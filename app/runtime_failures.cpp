// The C++ runtime's failure hooks, for the shipped program: it catches no exception, so where the
// standard library would throw, the process ends at once through the fatal reporter instead.
// Defining every helper of the runtime's throwing objects keeps those objects, the exception
// classes they bring and their copy-on-write strings out of the program; the replaced forms of
// operator new keep the runtime's out, whose nothrow forms call the throwing ones. An exception
// thrown all the same (std::optional, std::variant and std::any throw from their headers) ends
// in std::terminate, whose handler reports it too. Not for the tests: GoogleTest may catch.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
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

[[noreturn]] void Terminate() { InternalError("terminate"); }

}  // namespace

// Null where the memory cannot be had; the throwing forms end the process there instead.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
// The runtime's aligned operator delete frees with _aligned_free. msvcrt's _aligned_malloc (Wine's
// too) raises an alignment below a pointer's size to that size, then asks malloc for the size plus
// the alignment and a pointer, unchecked: near the top of the size range, the sum wraps round to
// a small block.
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  const std::size_t bytes = std::max(static_cast<std::size_t>(alignment), sizeof(void*));
  if (size > std::numeric_limits<std::size_t>::max() - bytes - sizeof(void*)) return nullptr;
  return _aligned_malloc(size != 0 ? size : 1, bytes);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return operator new(size, alignment, std::nothrow);
}

void* operator new(std::size_t size) {
  void* memory = operator new(size, std::nothrow);
  if (memory == nullptr) OutOfMemory();
  return memory;
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  void* memory = operator new(size, alignment, std::nothrow);
  if (memory == nullptr) OutOfMemory();
  return memory;
}

// What the compiler calls itself: new T[n] with n too large for the size type, a dynamic_cast
// to a reference that fails, and typeid of a null pointer.
extern "C" {
void __cxa_throw_bad_array_new_length() { InternalError("bad_array_new_length"); }
void __cxa_bad_cast() { InternalError("bad_cast"); }
void __cxa_bad_typeid() { InternalError("bad_typeid"); }
}

// In place of the runtime's default handler, which prints the exception's type on a standard
// error that a GUI program does not have, and aborts with exit code 3.
namespace __cxxabiv1 {
std::terminate_handler __terminate_handler = Terminate;
}

namespace std {

void __throw_bad_alloc() { OutOfMemory(); }
// A count of elements whose size overflows: a fault of the program, not a lack of memory.
void __throw_bad_array_new_length() { InternalError("bad_array_new_length"); }
void __throw_bad_cast() { InternalError("bad_cast"); }
void __throw_bad_exception() { InternalError("bad_exception"); }
void __throw_bad_function_call() { InternalError("bad_function_call"); }
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
