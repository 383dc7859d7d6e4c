# The CI's Windows job: its runner (windows_job.cpp) and windows-job/ in the build folder, the one
# folder the workflow hands to Windows. It holds the runner with runs.txt, the list of test runs
# recorded where CTest's tests are registered; the program, the release and the later version's
# installer; the test programs with their probes in tests/; and the test data in data/. The tests
# find the program and the installers beside their own folder there as they do in the build.
add_executable(windows_job ${CMAKE_CURRENT_LIST_DIR}/windows_job.cpp
               ${CMAKE_SOURCE_DIR}/tests/process_driver.cpp)
target_include_directories(windows_job PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(windows_job PRIVATE mensurator_warnings)

set(MENSURATOR_WINDOWS_JOB_DIR ${CMAKE_BINARY_DIR}/windows-job)
set(bundle ${MENSURATOR_WINDOWS_JOB_DIR})

get_property(runs GLOBAL PROPERTY MENSURATOR_WINDOWS_RUNS)
list(JOIN runs "\n" runs)
set(runs_file ${CMAKE_CURRENT_BINARY_DIR}/windows-job-runs.txt)
file(GENERATE OUTPUT ${runs_file} CONTENT "${runs}\n")

get_property(programs GLOBAL PROPERTY MENSURATOR_WINDOWS_PROGRAMS)
list(REMOVE_DUPLICATES programs)
set(program_files)
foreach(program IN LISTS programs)
  list(APPEND program_files $<TARGET_FILE:${program}>)
endforeach()
file(GLOB_RECURSE data_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/*)
set(release_files ${MENSURATOR_RELEASE_DIR}/${MENSURATOR_RELEASE_NAME}.msi
    ${MENSURATOR_RELEASE_DIR}/${MENSURATOR_RELEASE_NAME}.zip)

# Laid anew each time, so that the folder holds nothing from an earlier build.
add_custom_command(OUTPUT ${bundle}/runs.txt
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${bundle}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}/tests ${bundle}/upgrade
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:windows_job> $<TARGET_FILE:mensurator> ${bundle}
  COMMAND ${CMAKE_COMMAND} -E copy ${program_files} ${bundle}/tests
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${MENSURATOR_RELEASE_DIR} ${bundle}/release
  COMMAND ${CMAKE_COMMAND} -E copy ${MENSURATOR_NEXT_MSI} ${bundle}/upgrade
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests/data ${bundle}/data
  COMMAND ${CMAKE_COMMAND} -E copy ${runs_file} ${bundle}/runs.txt
  DEPENDS windows_job mensurator ${programs} ${runs_file} ${data_files} ${release_files}
          ${MENSURATOR_NEXT_MSI}
  COMMENT "Assembling the Windows job's folder ${bundle}"
  VERBATIM)
add_custom_target(windows_job_bundle ALL DEPENDS ${bundle}/runs.txt)
add_dependencies(windows_job_bundle release release_upgrade)
