# The run-time settings of the sanitizers for every test of a KARTEVO_SANITIZE build, in one
# place. They are written into a file that CTest reads before it runs any test of this build
# (the TEST_INCLUDE_FILES of the top directory), so they reach every test added anywhere in the
# project, by any command, with nothing to do for a new test; the child processes the tests
# start (kartevo, kartevo-batch) inherit them. scripts/fuzz.sh reads the same settings from
# sanitizer-env.sh. A test may still set one of these variables in its
# own ENVIRONMENT property, which wins. (CMake 3.25 cannot set test properties of another
# directory, hence the file rather than a loop over the tests.)
#
# - Any report ends the process with a non-zero exit code (halt_on_error, together with the
#   build's -fno-sanitize-recover=all), so the test that caused it fails.
# - Leaks are detected; cmake/lsan.supp suppresses only allocations made inside uninstrumented
#   system libraries that keep them until the process ends. A leak of our own code is reported.
set(KARTEVO_ASAN_OPTIONS "halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1")
set(KARTEVO_UBSAN_OPTIONS "halt_on_error=1:print_stacktrace=1")
set(KARTEVO_LSAN_OPTIONS "suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")

if(KARTEVO_SANITIZE)
  set(ctest_file ${CMAKE_BINARY_DIR}/SanitizerEnvironment.ctest)
  file(CONFIGURE OUTPUT ${ctest_file} CONTENT [[
# Written by cmake/SanitizerEnvironment.cmake: the sanitizer settings of every test.
set(ENV{ASAN_OPTIONS} "@KARTEVO_ASAN_OPTIONS@")
set(ENV{UBSAN_OPTIONS} "@KARTEVO_UBSAN_OPTIONS@")
set(ENV{LSAN_OPTIONS} "@KARTEVO_LSAN_OPTIONS@")
]] @ONLY)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${ctest_file})
  # The same settings for scripts/fuzz.sh, which runs the fuzz targets outside CTest.
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/sanitizer-env.sh CONTENT [[
# Written by cmake/SanitizerEnvironment.cmake: the sanitizer settings of the fuzz runs.
export ASAN_OPTIONS='@KARTEVO_ASAN_OPTIONS@'
export UBSAN_OPTIONS='@KARTEVO_UBSAN_OPTIONS@'
export LSAN_OPTIONS='@KARTEVO_LSAN_OPTIONS@'
]] @ONLY)
endif()
