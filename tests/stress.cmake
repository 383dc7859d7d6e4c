# The stress test of the finished program: thousands of random user actions on the running
# mensurator.exe, each checked against the engine linked into the test. A longer run by hand:
#   MENSURATOR_STRESS_SEED=7 MENSURATOR_STRESS_ACTIONS=100000 \
#     ctest --preset win32 -R stress_test -V --timeout 7200
# (the preset's time limit is for the default run)

mensurator_add_test(stress_test NO_CTEST
  SOURCES stress_test.cpp process_driver.cpp
  LIBS mensurator_core
  # Keeps the hosted Windows job short.
  WINDOWS_ENV MENSURATOR_STRESS_ACTIONS=2000)
add_dependencies(stress_test mensurator)
# In a display and a Wine prefix of its own: it uses the clipboard and takes the focus, which
# the other programs under test must not see change under them. So it runs beside the others,
# and, being the longest, starts first; in two shards at once, since it waits on the program.
foreach(shard 0 1)
  add_test(NAME stress_test_${shard} COMMAND env -u DISPLAY -u MENSURATOR_IN_DISPLAY
    ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix-stress-${shard}
    $<TARGET_FILE:stress_test>)
  set_tests_properties(stress_test_${shard} PROPERTIES COST 10000
    ENVIRONMENT "MENSURATOR_STRESS_SHARD=${shard};MENSURATOR_STRESS_SHARDS=2")
endforeach()
