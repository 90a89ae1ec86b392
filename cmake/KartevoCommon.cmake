# Options every Kartevo target shares: language level, warnings, Qt strictness.
add_library(kartevo_options INTERFACE)
target_compile_features(kartevo_options INTERFACE cxx_std_20)
target_compile_options(kartevo_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(kartevo_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS)
