# How the shipped program and the probes that end as it ends are built: by the compiler of the
# win32 thread model, whose C++ runtime they link (it locks with Windows' own calls, where the
# -posix one brings winpthreads, 32 KB, through function-local statics, the unwinder and the
# exception allocator), while GoogleTest and the tests keep the project's -posix compiler. The two
# header sets differ (gthreads), so the program's objects are never the tests' objects: the
# program links its own build of the code, mensurator_shipped. One CMake project has one C++
# compiler; cmake/compile-with.sh swaps in the other for these targets, so both must be the same
# GCC release, since CMake found the flags and features of the first.

if(NOT MENSURATOR_WIN32_THREADS_CXX)
  message(FATAL_ERROR "MENSURATOR_WIN32_THREADS_CXX is not set. It names the compiler of the "
    "win32 thread model (i686-w64-mingw32-g++-win32) that builds the shipped program; the "
    "toolchain file cmake/mingw-i686.cmake sets it.")
endif()

# The compiler's version and the release date of its C++ library, as the headers say them.
function(mensurator_compiler_release compiler result)
  execute_process(COMMAND ${compiler} -dM -E -x c++ -include bits/c++config.h /dev/null
    OUTPUT_VARIABLE macros ERROR_VARIABLE error RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Cannot run the compiler ${compiler}: ${failed} ${error}")
  endif()
  set(numbers)
  foreach(macro __GNUC__ __GNUC_MINOR__ __GNUC_PATCHLEVEL__ __GLIBCXX__)
    string(REGEX MATCH "#define ${macro} ([0-9]+)" found "${macros}")
    list(APPEND numbers "${CMAKE_MATCH_1}")
  endforeach()
  list(POP_BACK numbers library)
  list(JOIN numbers . version)
  set(${result} "GCC ${version} with libstdc++ ${library}" PARENT_SCOPE)
endfunction()
mensurator_compiler_release(${CMAKE_CXX_COMPILER} project_release)
mensurator_compiler_release(${MENSURATOR_WIN32_THREADS_CXX} program_release)
if(NOT project_release STREQUAL program_release)
  message(FATAL_ERROR "The shipped program's compiler ${MENSURATOR_WIN32_THREADS_CXX} is not the "
    "GCC release of the project's ${CMAKE_CXX_COMPILER}: ${program_release} against "
    "${project_release}. Install both thread models of one GCC.")
endif()

# The program's hardening: a stack protector on functions with arrays or addresses of locals
# (its guard is app/stack_guard.cpp's), _FORTIFY_SOURCE for headers that have fortified calls, no
# structured exception handler anywhere in the image (the unwinder is DWARF's, and nothing here
# registers one) and Terminal Server awareness. ASLR with relocations kept and DEP are binutils'
# defaults. The protector's option on the link line brings libssp, with the checked copies that
# fortified calls need.
add_library(mensurator_hardening INTERFACE)
target_compile_options(mensurator_hardening INTERFACE -fstack-protector-strong)
target_compile_definitions(mensurator_hardening INTERFACE _FORTIFY_SOURCE=2)
target_link_options(mensurator_hardening INTERFACE -fstack-protector-strong -Wl,--no-seh,--tsaware)

# Compiles and links TARGET with the program's compiler and hardening.
function(mensurator_build_as_shipped target)
  set(launcher ${CMAKE_SOURCE_DIR}/cmake/compile-with.sh ${MENSURATOR_WIN32_THREADS_CXX})
  set_target_properties(${target} PROPERTIES
    CXX_COMPILER_LAUNCHER "${launcher}" CXX_LINKER_LAUNCHER "${launcher}")
  target_link_libraries(${target} PRIVATE mensurator_hardening)
endfunction()

# The dialog, shell and reporter as the program links them, compiled once for it and for the
# working floor (bench/win32), which links these very objects without the engine and tables.
add_library(mensurator_shipped_win OBJECT ${MENSURATOR_WIN_SOURCES})
target_include_directories(mensurator_shipped_win PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(mensurator_shipped_win PRIVATE mensurator_warnings)
mensurator_build_as_shipped(mensurator_shipped_win)

# The engine, tables, dialog and reporter as the program links them. The stack guard is an
# archive member, taken only by code that the protector instrumented, so the link map shows it.
add_library(mensurator_shipped STATIC ${MENSURATOR_CORE_SOURCES}
            $<TARGET_OBJECTS:mensurator_shipped_win> ${CMAKE_SOURCE_DIR}/app/stack_guard.cpp)
target_include_directories(mensurator_shipped PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(mensurator_shipped PUBLIC comctl32 PRIVATE mensurator_warnings)
mensurator_build_as_shipped(mensurator_shipped)

# The runtime's failure hooks, for the shipped program and its probes: linked as an object, ahead
# of the runtime's own definitions.
add_library(mensurator_runtime INTERFACE)
target_sources(mensurator_runtime INTERFACE ${CMAKE_SOURCE_DIR}/app/runtime_failures.cpp)
