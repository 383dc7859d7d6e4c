// The stack protector's guard, and the end of a process whose stack or buffer was overrun, for
// the shipped program. GCC's own (libssp) seeds its guard with advapi32's CryptGenRandom, which
// would load advapi32 into every start; this one is seeded from kernel32 alone, as Microsoft's C
// runtime seeds its /GS cookie where the loader gives none, before the program's other code runs.
// An overrun ends the process at once, as a /GS failure does, without running any more of its
// code. Defining both ends here keeps libssp's seeding object out, also when a fortified call
// brings in one of libssp's checked copies.
#include <windows.h>

#include <cstdint>

namespace {

// The status Windows gives a process ended by a failed /GS check (not in MinGW-w64 10's headers).
constexpr UINT kStatusStackBufferOverrun = 0xC0000409;

// TerminateProcess runs none of the process's code (no DLL detach, no exception filter), which
// an overrun stack cannot be trusted with. The kernel's fast failure (int 0x29 on Windows 8 and
// later) would end it as surely, but Wine takes it for an unhandled exception.
[[noreturn]] void EndAtOnce() {
  TerminateProcess(GetCurrentProcess(), kStatusStackBufferOverrun);
  __builtin_trap();
}

}  // namespace

extern "C" {

// Copied into every protected frame on entry and compared with the copy on return.
std::uintptr_t __stack_chk_guard = 0xBB40E64E;

// Called by a protected function whose copy of the guard was overwritten.
[[noreturn]] void __stack_chk_fail() { EndAtOnce(); }

// Called by a fortified copy (such as __memcpy_chk) asked to write past its destination.
[[noreturn]] void __chk_fail() { EndAtOnce(); }

}  // extern "C"

namespace {

// The times, ids and the stack's and image's addresses (both moved by ASLR) differ from start
// to start. Unprotected itself, since it changes the guard while its frame is live; it runs
// before the constructors without a priority, the tables' among them.
[[gnu::constructor(101), gnu::no_stack_protector]] void SeedGuard() {
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::uintptr_t seed = time.dwLowDateTime ^ time.dwHighDateTime ^ GetCurrentProcessId() ^
                              GetCurrentThreadId() ^ GetTickCount() ^ counter.LowPart ^
                              static_cast<DWORD>(counter.HighPart) ^
                              reinterpret_cast<std::uintptr_t>(&counter) ^
                              reinterpret_cast<std::uintptr_t>(&__stack_chk_guard);
  if (seed != 0) __stack_chk_guard = seed;
}

}  // namespace
