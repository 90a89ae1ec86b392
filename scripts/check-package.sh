#!/usr/bin/env bash
# Checks the Debian package the way a new user meets it: builds the package, installs it with apt
# into a fresh minimal Debian 12 (debootstrap; the bare system is kept in BUILD/package-check/base
# and copied for each run), and there, as a new user:
# - the first start of kartevo-batch makes the data folder with the delivered database, holding
#   the real postal codes and label formats;
# - an SQL script adds a sender and a client, and a C6 envelope and a cash-on-delivery form are
#   printed to PDF with the installed fonts;
# - kartevo opens its main window (on a virtual X server of this machine) and a SIGTERM closes it,
#   writing Kartevo.ini.
# Before that, the package itself: lintian (no error, no warning) and hardening-check on both
# programs (fortified calls, stack protector, PIE, full RELRO with immediate binding).
# Needs root and the Debian mirror (it downloads about 300 MB the first time); not part of
# scripts/test.sh for that reason.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KARTEVO_BUILD_DIR:-$root/build}
[ "$(id -u)" -eq 0 ] || { echo "check-package.sh needs root (debootstrap, chroot)" >&2; exit 2; }

"$root/scripts/build.sh"
for tool in debootstrap:debootstrap lintian:lintian hardening-check:devscripts; do
  if ! command -v "${tool%%:*}" >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tool#*:}"
  fi
done
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/kartevo_*.deb | head -n 1)
echo "Package: $(basename "$deb")"

echo "lintian:"
lintian --fail-on error,warning "$deb" || { echo "lintian found errors or warnings" >&2; exit 1; }
unpacked="$build/package-check.unpacked"
rm -rf "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
# PIE, the stack protector and full RELRO with immediate binding must be found. The fortified
# calls are reported only: the programs are built with _FORTIFY_SOURCE=2, but when every call's
# size is unknown to the compiler (or proved safe) there is no checked call for the tool to find.
for program in kartevo kartevo-batch; do
  report=$(hardening-check "$unpacked/usr/bin/$program" || true)
  echo "$report"
  for protection in 'Position Independent Executable' 'Stack protected' 'Read-only relocations' 'Immediate binding'; do
    echo "$report" | grep -q "$protection: yes" || { echo "hardening-check: $program: $protection missing" >&2; exit 1; }
  done
done
rm -rf "$unpacked"

work="$build/package-check"
mkdir -p "$work"
base="$work/base"
if [ ! -f "$base/.complete" ]; then
  rm -rf "$base"
  echo "Making a minimal Debian 12 in $base …"
  debootstrap --variant=minbase bookworm "$base" http://deb.debian.org/debian >"$work.debootstrap.log" 2>&1 \
    || { echo "debootstrap failed, see $work.debootstrap.log" >&2; exit 1; }
  touch "$base/.complete"
fi

sys="$work/system"
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  mountpoint -q "$sys/proc" && umount "$sys/proc"
  rm -rf "$sys"
}
trap cleanup EXIT
rm -rf "$sys"
cp -a "$base" "$sys"
mount -t proc proc "$sys/proc"
cp /etc/resolv.conf "$sys/etc/resolv.conf"
# The package lies in the new system's srv folder; chroot starts at its root.
cp "$deb" "$sys/srv/"
in_system() { chroot "$sys" "$@"; }
as_user() { chroot "$sys" su - probe -c "$1"; }

echo "Installing the package with apt …"
in_system bash -c "apt-get update -qq && cd srv && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./$(basename "$deb")" \
  >"$work/install.log" 2>&1 || { echo "apt could not install the package, see $work/install.log" >&2; exit 1; }
in_system useradd -m probe

fail() { echo "FAIL: $*" >&2; exit 1; }
info=$(as_user "kartevo-batch info 2>/dev/null")
echo "$info"
grep -q '^Database: /home/probe/.local/share/Kartevo/Kartevo.sqb$' <<<"$info" || fail "the database is not in the user's data folder"
postal=$(sed -n 's/^Table irsz: \([0-9]*\) rows$/\1/p' <<<"$info")
labels=$(sed -n 's/^Table cimke: \([0-9]*\) rows$/\1/p' <<<"$info")
[ "${postal:-0}" -gt 3000 ] || fail "the delivered postal codes are missing ($postal rows)"
[ "${labels:-0}" -gt 400 ] || fail "the delivered label formats are missing ($labels rows)"

# Code page 1250, as the SQL console reads its files.
printf "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (1, 'Minta Kft.');\n\
INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim) VALUES (1, 'Kov\xe1cs \xc1rp\xe1d', '1011', 'Budapest', 'F\xf5 utca 1.');\n" \
  >"$sys/home/probe/probe.sql"
as_user "kartevo-batch sql probe.sql && kartevo-batch envelope c6 --client 1 --pdf c6.pdf && kartevo-batch cod --client 1 --amount 12345 --pdf cod.pdf" 2>/dev/null
pdftotext "$sys/home/probe/c6.pdf" - | grep -q 'Kovács Árpád' || fail "the envelope does not show the client's name"
pdffonts "$sys/home/probe/cod.pdf" | awk 'NR > 2 && $(NF-4) != "yes" { bad = 1 } END { exit bad }' \
  || fail "a font of the cash-on-delivery form is not embedded"

: >"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(cat "$work/display")
[ -n "$display" ] || fail "Xvfb did not start"
as_user "DISPLAY=:$display kartevo >/dev/null 2>&1 & echo \$! > kartevo.pid"
DISPLAY=":$display" timeout 60 xdotool search --sync --onlyvisible --name '^Kartevo V' >/dev/null \
  || fail "the main window did not show"
kill -TERM "$(cat "$sys/home/probe/kartevo.pid")"
for _ in $(seq 100); do [ -f "$sys/home/probe/.local/share/Kartevo/Kartevo.ini" ] && break; sleep 0.1; done
grep -q '^\[frm_Main\]' "$sys/home/probe/.local/share/Kartevo/Kartevo.ini" || fail "Kartevo.ini was not written at the end"
echo "The package installs and works on a fresh Debian 12."
