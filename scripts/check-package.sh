#!/usr/bin/env bash
# Builds the Debian package from an existing build directory and checks it:
# its dependencies resolve (apt-get install --simulate), it carries the
# units, the account, the Ansible role, the man page and the desktop entry
# where systemd, man and the menus look; unpacked into a scratch prefix, the
# installed tramond must start without a display, find its shipped resources,
# and read a program it created.
#   scripts/check-package.sh [BUILD_DIR]     (default: build)
# Leaves the package in BUILD_DIR/package/. Needs dpkg-dev (dpkg-shlibdeps).
set -euo pipefail
# A relative BUILD_DIR is taken from where the script is called; the default
# from the source tree.
build=${1:-${BUILD_DIR:-$(dirname "$0")/../build}}
build=$(cd "$build" 2>/dev/null && pwd) || { echo "check-package: no build directory ${1:-build}" >&2; exit 2; }
[ -f "$build/CMakeCache.txt" ] || { echo "check-package: $build is not a configured build directory" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tramond-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
step() { echo "check-package: $*"; }

step "building the installed targets"
nice cmake --build "$build" --target tramond tramond-regsim tramond_man -- -j"${JOBS:-2}" >"$scratch/build.log" 2>&1 ||
  { tail -30 "$scratch/build.log" >&2; fail "build"; }

step "cpack -G DEB"
mkdir -p "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >"$scratch/cpack.log" 2>&1) ||
  { tail -30 "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(ls -t "$build"/package/tramond_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package in $build/package"
step "package $deb"

depends=$(dpkg-deb -f "$deb" Depends)
step "Depends: $depends"
declared=$(tr ',' '\n' <<<"$depends" | sed -e 's/^ *//' -e 's/[ (].*//')
# libqt6gui6 also carries the window's X11 platform plugin.
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6network6 libzip4 libgit2-1.5 libc6 libstdc++6; do
  grep -qxF "$lib" <<<"$declared" || fail "the package does not declare $lib"
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tramond usr/bin/tramond-regsim \
         "usr/share/tramond/mwt Files/Trmd_english.mwt" usr/share/tramond/Help/english/Tramond.html \
         usr/share/tramond/Help/english/Tramond.cnt usr/share/tramond/Tramondlogo.bmp \
         usr/share/applications/tramond.desktop usr/share/icons/hicolor/scalable/apps/tramond.svg \
         usr/share/man/man1/tramond.1.gz \
         usr/lib/systemd/system/tramond-update@.service usr/lib/systemd/system/tramond-update@.timer \
         usr/lib/systemd/system/tramond-update-failed@.service usr/share/tramond/systemd/network-port.conf \
         usr/lib/sysusers.d/tramond.conf \
         usr/share/tramond/ansible/site.yml usr/share/tramond/ansible/roles/tramond_program/tasks/main.yml \
         usr/share/tramond/ansible/roles/tramond_program/tasks/register.yml \
         usr/share/tramond/ansible/roles/tramond_program/defaults/main.yml; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
control="$scratch/control"
dpkg-deb -e "$deb" "$control"
[ -x "$control/postinst" ] || fail "the package has no postinst to create the tramond account"

step "apt-get install --simulate"
apt-get install --simulate --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 ||
  { tail -20 "$scratch/apt.log" >&2; fail "the package's dependencies do not resolve"; }
grep -qE '^Inst tramond |tramond is already the newest' "$scratch/apt.log" || { tail -20 "$scratch/apt.log" >&2; fail "apt would not install tramond"; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/tramond.desktop" || fail "desktop entry"
fi
man -l "$root/usr/share/man/man1/tramond.1.gz" >/dev/null 2>&1 || fail "man page"

# As a script or CI job runs it: no display, its own program directory.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$scratch/home" TRAMOND_HOME="$scratch/home/tramond" \
    timeout 60 "$root/usr/bin/tramond" "$@"
}

version=$(run --version) || fail "tramond --version"
[ "$version" = "tramond $(dpkg-deb -f "$deb" Version)" ] || fail "tramond --version says \"$version\""
step "$version"

help=$(run --help) || fail "tramond --help"
verb_listed() { grep -qE "^ +$1( |$)" <<<"$help"; }
program="$scratch/shop/shop.app"
mkdir -p "$(dirname "$program")"
if verb_listed create; then
  run create "$program" >/dev/null || fail "tramond create"
else
  # Without the create verb: a program read from the built-in register simulator.
  run --yes "$program" read 0 SIM 38400 2>"$scratch/read.log" || { cat "$scratch/read.log" >&2; fail "tramond read"; }
fi
[ -f "$program" ] || fail "no program was created"

if verb_listed info; then
  run info "$program" >"$scratch/info.txt" || { cat "$scratch/info.txt" >&2; fail "tramond info"; }
  run info "$program" --json >"$scratch/info.json" || fail "tramond info --json"
  step "tramond info: $(wc -l <"$scratch/info.txt") lines"
else
  step "skipped tramond info: this build has no info verb (not listed by tramond --help)"
fi
step "OK"
