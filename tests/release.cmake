# Tests of the release: the shipped program and its installer under Wine, and two builds from
# different folders that must give the same bytes.

mensurator_add_test(install_test
  SOURCES install_test.cpp process_driver.cpp
  LIBS msi version shell32 ole32 uuid)
target_compile_definitions(install_test PRIVATE
  MENSURATOR_RELEASE_NAME="${MENSURATOR_RELEASE_NAME}"
  MENSURATOR_NEXT_NAME="mensurator-${MENSURATOR_NEXT_VERSION}"
  MENSURATOR_RELEASE_VERSION="${PROJECT_VERSION}.0"
  MENSURATOR_NEXT_VERSION="${MENSURATOR_NEXT_VERSION}.0")
add_dependencies(install_test release release_upgrade)
# A prefix of its own, so that the other tests never see the program installed; the display
# script ends its Wine server afterwards.
set(install_prefix ${CMAKE_BINARY_DIR}/wineprefix-install)
set_target_properties(install_test PROPERTIES CROSSCOMPILING_EMULATOR
  "${CMAKE_SOURCE_DIR}/scripts/with-display.sh;${install_prefix};${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${install_prefix}")

# Builds the program twice more from copies of the sources; two cores for its compilers.
add_test(NAME reproducible_build
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/reproducible_test.sh
          ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/reproducible)
set_tests_properties(reproducible_build PROPERTIES PROCESSORS 2)

# Signs copies of the release with a certificate made for the test.
add_test(NAME sign_release
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/sign_release_test.sh
          ${CMAKE_SOURCE_DIR} ${MENSURATOR_RELEASE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/signing)
