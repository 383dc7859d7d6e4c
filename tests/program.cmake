# Tests of the finished program from outside: the real executable driven as a process of its
# own, the fatal reports of broken dialogs in probe processes, and the DLLs the program needs.

mensurator_add_test(program_test
  SOURCES program_test.cpp process_driver.cpp
  LIBS ole32 oleacc oleaut32)  # to read the controls' names as a screen reader does
add_dependencies(program_test mensurator)

# The released program's imports, header and link map, as check_imports.sh says.
add_test(NAME program_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_imports.sh ${CMAKE_OBJDUMP}
          ${MENSURATOR_RELEASE_DIR}/mensurator.exe ${MENSURATOR_LINK_MAP})

# The check must also refuse: the toolchain's own C++ runtime DLL imports the MinGW DLLs that a
# dynamically linked program would need, and has no NO_SEH.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE MENSURATOR_RUNTIME_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
add_test(NAME program_imports_check_refuses
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_imports.sh ${CMAKE_OBJDUMP} ${MENSURATOR_RUNTIME_DLL})
set_tests_properties(program_imports_check_refuses PROPERTIES PASS_REGULAR_EXPRESSION
  "imports libwinpthread-1.dll, which a dialog program starts without.*lacks NO_SEH")

# Probes that end in a fatal report: one runs the dialog code on broken templates, the other is
# the program's own entry point with resources that lack the converter dialog.
add_executable(fatal_probe WIN32 fatal_probe.cpp fatal_probe.rc $<TARGET_OBJECTS:mensurator_res>)
target_link_libraries(fatal_probe PRIVATE mensurator_shipped mensurator_runtime mensurator_warnings)
mensurator_build_as_shipped(fatal_probe)
set_source_files_properties(fatal_probe.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/fatal_probe_ids.h;${CMAKE_SOURCE_DIR}/res/resource_ids.h")

add_executable(mensurator_without_dialog WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp without_dialog.rc)
target_link_libraries(mensurator_without_dialog PRIVATE mensurator_shipped mensurator_runtime
  mensurator_warnings)
mensurator_build_as_shipped(mensurator_without_dialog)
set_source_files_properties(without_dialog.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/resource_ids.h")

mensurator_add_test(fatal_report_test
  SOURCES fatal_report_test.cpp process_driver.cpp)
add_dependencies(fatal_report_test fatal_probe mensurator_without_dialog)
# The Windows job's folder holds them beside the test too.
set_property(GLOBAL APPEND PROPERTY MENSURATOR_WINDOWS_PROGRAMS
  fatal_probe mensurator_without_dialog)

# The script that runs them refuses a Wine prefix it did not make, such as the user's own, and
# leaves it as it is.
add_test(NAME wine_run_refuses_foreign_prefix
  COMMAND sh -c "mkdir -p \"$1\" && touch \"$1/system.reg\" && ! \"$0\" \"$1\" x.exe && \
                 test -f \"$1/system.reg\" && echo kept"
          ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_CURRENT_BINARY_DIR}/foreign-wineprefix)
set_tests_properties(wine_run_refuses_foreign_prefix PROPERTIES
  PASS_REGULAR_EXPRESSION "has no [.]mensurator-wine[)]: not replacing it.*kept")
