#!/usr/bin/env bash
# Installs the Debian packages Kartevo needs to build, run and test, when missing.
# clang, libclang-rt-14-dev (the sanitizer runtimes and libFuzzer) and llvm (llvm-symbolizer, for
# the file and line in a report) are for the sanitizer build and the fuzz targets. dpkg-dev
# (dpkg-shlibdeps) works out the package's dependencies; lintian checks the package. glabels
# (glabels-3-batch) is the time anchor of bench_largeruns. libzip, libexpat and libfreexl read
# the spreadsheets of the import; xlsx2csv is the anchor of the import benchmark.
set -euo pipefail

packages=(
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev libsqlite3-dev sqlite3 qt6-translations-l10n
  xvfb xauth xdotool x11-utils poppler-utils qpdf imagemagick
  fonts-liberation2 fonts-dejavu-core fonts-wine
  cmake g++ ninja-build libbenchmark-dev pkg-config
  python3-xlrd
  libzip-dev libexpat1-dev libfreexl-dev xlsx2csv
  cups-daemon cups-client
  glabels
  lintian dpkg-dev
  clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
