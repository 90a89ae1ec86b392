# Options every Kartevo target shares: language level, warnings, Qt strictness.
add_library(kartevo_options INTERFACE)
target_compile_features(kartevo_options INTERFACE cxx_std_20)
target_compile_options(kartevo_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(kartevo_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS)

# Hardening of the optimised builds (the package is made from one), as Debian builds its
# packages: fortified library calls, stack protector, stack clash protection,
# position-independent executables, full RELRO with immediate binding. Not in the sanitizer
# build, whose run-time replaces the fortified calls.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
if(NOT KARTEVO_SANITIZE)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>")
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
