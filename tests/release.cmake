# Tests of the release: the shipped program and its installer under Wine, and two builds from
# different folders that must give the same bytes.

mensurator_add_test(install_test
  SOURCES install_test.cpp process_driver.cpp
  LIBS msi version shell32 ole32 uuid)
target_compile_definitions(install_test PRIVATE
  MENSURATOR_RELEASE_NAME="${MENSURATOR_RELEASE_NAME}"
  MENSURATOR_NEXT_NAME="mensurator-${MENSURATOR_NEXT_VERSION}"
  MENSURATOR_RELEASE_VERSION="${PROJECT_VERSION}.0"
  MENSURATOR_PRODUCT_VERSION="${PROJECT_VERSION}"
  MENSURATOR_NEXT_VERSION="${MENSURATOR_NEXT_VERSION}"
  MENSURATOR_PROJECT_URL="${MENSURATOR_PROJECT_URL}")
add_dependencies(install_test release release_upgrade)
# A prefix of its own, so that the other tests never see the program installed; the display
# script ends its Wine server afterwards.
set(install_prefix ${CMAKE_BINARY_DIR}/wineprefix-install)
set_target_properties(install_test PROPERTIES CROSSCOMPILING_EMULATOR
  "${CMAKE_SOURCE_DIR}/scripts/with-display.sh;${install_prefix};${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${install_prefix}")

# Builds the program twice more from copies of the sources, beside the stress test and started
# right after it, so that it does not end last: asking CTest for both cores (PROCESSORS) would hold
# it back until the stress test ended.
set(reproducible ${CMAKE_CURRENT_BINARY_DIR}/reproducible)
add_test(NAME reproducible_build
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/reproducible_test.sh ${CMAKE_SOURCE_DIR} ${reproducible}
          ${PROJECT_VERSION})
set_tests_properties(reproducible_build PROPERTIES COST 5000 FIXTURES_SETUP reproducible_trees)

# The manifests name the build's address, or else one that no one can take for a real one.
set(address ${MENSURATOR_PROJECT_URL})
if(NOT address)
  set(address https://example.invalid/mensurator)
endif()

# Signs copies of the release with certificates made for the test, and a timestamp of its own.
add_test(NAME sign_release
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/sign_release_test.sh ${CMAKE_SOURCE_DIR}
          ${MENSURATOR_RELEASE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/signing ${address})
set_tests_properties(sign_release PROPERTIES FIXTURES_SETUP signed_release)

# What the release workflow runs before it publishes: the version read from the tag, then the
# release checked against it and its files and manifests gathered, here unsigned (sign_release
# signs through it), the manifests validated.
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
add_test(NAME release_tag COMMAND ${packaging}/release-version.sh v${PROJECT_VERSION})
set_tests_properties(release_tag PROPERTIES PASS_REGULAR_EXPRESSION "^${PROJECT_VERSION}\n$")
add_test(NAME release_tag_refused COMMAND ${packaging}/release-version.sh v1.2)
set_tests_properties(release_tag_refused PROPERTIES PASS_REGULAR_EXPRESSION "is not a release tag")
add_test(NAME release_changelog_refused
  COMMAND ${packaging}/prepare-release.sh ${MENSURATOR_RELEASE_DIR} 0.0.0
          ${CMAKE_CURRENT_BINARY_DIR}/publish-refused ${address})
set_tests_properties(release_changelog_refused PROPERTIES
  PASS_REGULAR_EXPRESSION "CHANGELOG.md has no section '## \\[0.0.0\\]")
add_test(NAME release_publish
  COMMAND ${packaging}/prepare-release.sh ${MENSURATOR_RELEASE_DIR}
          ${PROJECT_VERSION} ${CMAKE_CURRENT_BINARY_DIR}/publish ${address})
set_tests_properties(release_publish PROPERTIES FIXTURES_SETUP published_release
  PASS_REGULAR_EXPRESSION "SBOM valid: .*Manifests valid: .*This release is \\*\\*not signed")

# The bill of materials' check refusing planted faults, and both releases rebuilt, in the clone
# that reproducible_build leaves, and found identical, with a planted difference reported.
add_test(NAME release_rebuilt
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/published_release_test.sh ${CMAKE_SOURCE_DIR}
          ${PROJECT_VERSION} ${CMAKE_CURRENT_BINARY_DIR}/publish/files
          ${CMAKE_CURRENT_BINARY_DIR}/signing/published/files ${reproducible}
          ${CMAKE_CURRENT_BINARY_DIR}/published-check)
set_tests_properties(release_rebuilt PROPERTIES
  FIXTURES_REQUIRED "reproducible_trees;signed_release;published_release")
