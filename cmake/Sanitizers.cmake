# KARTEVO_SANITIZE: every target of this build (core, ui, programs, tests, fuzz targets) is
# compiled and linked with AddressSanitizer and UndefinedBehaviorSanitizer. A report aborts the
# process, so it fails the test that caused it (the run-time settings are in
# cmake/SanitizerEnvironment.cmake). Qt, SQLite and the other system libraries stay
# uninstrumented.
#
# KARTEVO_FUZZ: the libFuzzer targets of fuzz/ (clang only). They make sense only with the
# sanitizers, so the option switches KARTEVO_SANITIZE on.
option(KARTEVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KARTEVO_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

if(KARTEVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KARTEVO_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(NOT KARTEVO_SANITIZE)
    message(STATUS "KARTEVO_FUZZ switches KARTEVO_SANITIZE on")
    set(KARTEVO_SANITIZE ON CACHE BOOL "Build with AddressSanitizer and UndefinedBehaviorSanitizer" FORCE)
  endif()
endif()

if(KARTEVO_SANITIZE)
  set(KARTEVO_SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
  add_compile_options(${KARTEVO_SANITIZE_FLAGS})
  add_link_options(${KARTEVO_SANITIZE_FLAGS})
endif()
