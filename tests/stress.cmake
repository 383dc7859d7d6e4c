# The stress test of the finished program: thousands of random user actions on the running
# mensurator.exe, each checked against the engine linked into the test. A longer run by hand:
#   MENSURATOR_STRESS_SEED=7 MENSURATOR_STRESS_ACTIONS=100000 \
#     scripts/with-display.sh build/win32/wineprefix ctest --preset win32 -R stress_test -V \
#     --timeout 7200
# (about 9 s per 1,000 actions under Wine; the preset's limit of 600 s is for the default run)

mensurator_add_test(stress_test
  SOURCES stress_test.cpp process_driver.cpp
  LIBS mensurator_core
  # Keeps the hosted Windows job short.
  WINDOWS_ENV MENSURATOR_STRESS_ACTIONS=2000)
add_dependencies(stress_test mensurator)
# Alone: it uses the display's clipboard and takes the focus, which the other
# programs under test must not see change under them.
set_tests_properties(stress_test PROPERTIES RUN_SERIAL TRUE)
