#!/usr/bin/env bash
# Builds the Debian package as `make package` does, unpacks it into a scratch
# root (no root rights needed) and checks it: its name, version and declared
# dependencies, that every file lives under /usr, and that the unpacked
# programs run and the update checks' network module lies where corvane
# looks for it.
# Usage: package_test.sh BUILD-FOLDER VERSION
set -uo pipefail

build=$1
version=$2
# shellcheck source=/dev/null
source "$(dirname "$0")/../../scripts/check_lib.sh"
# shellcheck source=/dev/null
source "$(dirname "$0")/update_module_check.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
deb=$(ls "$work"/out/corvane_*.deb 2>/dev/null)
[ -f "$deb" ] || { echo "FAIL: no corvane_*.deb among: $(ls "$work/out")" >&2; exit 1; }

[ "$(dpkg-deb -f "$deb" Package)" = corvane ] || fail "the package is named '$(dpkg-deb -f "$deb" Package)'"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is '$(dpkg-deb -f "$deb" Version)'"
# Each dependency alone on a line, without its version or alternatives.
depends=$(dpkg-deb -f "$deb" Depends)
sed 's/, /\n/g' <<<"$depends" | sed 's/ [|(].*//' >"$work/depends"
for needed in libc6 libstdc++6 libqt6widgets6 libqt6network6 libxcb1 libxcb-randr0 \
  libxkbcommon-x11-0 libutf8proc2 qt6-qpa-plugins; do
  grep -Fxq "$needed" "$work/depends" || fail "the package does not depend on $needed: $depends"
done

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
outside=$(grep -v -e '^\./$' -e '^\./usr/' "$work/contents")
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"
for file in ./usr/bin/corvane ./usr/bin/corvane-settings ./usr/bin/corvane-place \
  ./usr/share/applications/corvane.desktop ./usr/share/icons/hicolor/scalable/apps/corvane.svg \
  ./usr/share/icons/hicolor/48x48/apps/corvane.png ./usr/share/man/man1/corvane.1.gz; do
  grep -Fxq "$file" "$work/contents" || fail "the package does not hold $file"
done

dpkg-deb -x "$deb" "$work/root" || fail "the package could not be unpacked"
check_update_module "$work/root/usr"
bin=$work/root/usr/bin
[ "$("$bin/corvane" --version 2>&1)" = "corvane $version" ] || fail "the packaged corvane --version printed '$("$bin/corvane" --version 2>&1)'"
"$bin/corvane-settings" defaults >"$work/defaults.json" || fail "the packaged corvane-settings defaults failed"
check=$("$bin/corvane-settings" check "$work/defaults.json" 2>&1)
[[ $check == OK:* ]] || fail "the packaged defaults do not check: $check"

finish "$(basename "$deb"): all checks passed"
