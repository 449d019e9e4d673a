#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR under a custom prefix, as
# `make install PREFIX=... DESTDIR=...` does, and checks what lands there: the
# programs run, the update checks' network module lies where corvane looks for
# it, the menu entry and the metainfo pass their validators, the menu entry's
# icon and program exist, and the manual pages render cleanly.
# Usage: install_test.sh BUILD-FOLDER VERSION SOURCE-FOLDER
set -uo pipefail

build=$1
version=$2
source=$3
# shellcheck source=/dev/null
source "$(dirname "$0")/../../scripts/check_lib.sh"
# shellcheck source=/dev/null
source "$(dirname "$0")/update_module_check.sh"

for tool in desktop-file-validate appstreamcli man python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

prefix=/opt/corvane-check
if ! DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi
top=$(cd "$work/root" && ls -A)
[ "$top" = opt ] || fail "files were installed outside the prefix: $top"
root=$work/root$prefix

expect_file() {
  [ -f "$root/$1" ] || fail "$1 was not installed"
}
for program in corvane corvane-settings corvane-place; do
  [ -x "$root/bin/$program" ] || fail "bin/$program was not installed as a program"
  expect_file "share/man/man1/$program.1.gz"
done
check_update_module "$root"
desktop=share/applications/corvane.desktop
expect_file "$desktop"
expect_file share/icons/hicolor/scalable/apps/corvane.svg
metainfo=$(cd "$root" && ls share/metainfo/*.metainfo.xml 2>/dev/null)
[ -n "$metainfo" ] || fail "no metainfo file was installed"

# The menu entry validates, and what it names is installed.
desktop-file-validate "$root/$desktop" >"$work/validate" 2>&1 || fail "desktop-file-validate: $(cat "$work/validate")"
key() { sed -n "0,/^\[Desktop Action/s/^$1=//p" "$root/$desktop"; }
[ "$(key Exec)" = corvane ] || fail "the menu entry starts '$(key Exec)', not corvane"
[ -x "$root/bin/$(key Exec)" ] || fail "the menu entry's program $(key Exec) is not installed"
[ -f "$root/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "the menu entry's icon $(key Icon) is not installed"

# The metainfo validates and launches the installed menu entry.
if [ -n "$metainfo" ]; then
  appstreamcli validate --no-net "$root/$metainfo" >"$work/validate" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/validate")"
  grep -q '<launchable type="desktop-id">corvane.desktop</launchable>' "$root/$metainfo" ||
    fail "the metainfo does not launch corvane.desktop"
  grep -q "<release version=\"$version\"" "$root/$metainfo" || fail "the metainfo's release is not $version"
  grep -q 'settings-window.png</image>' "$root/$metainfo" || fail "the metainfo has no screenshot of the settings window"
  # Each screenshot is a picture of docs/, published there.
  for picture in $(sed -n 's#.*<image>.*/\([^/<]*\)</image>.*#\1#p' "$root/$metainfo"); do
    [ -f "$source/docs/$picture" ] || fail "the screenshot $picture is not in docs/"
  done
fi

# Every PNG size is the size its folder names.
python3 - "$root/share/icons/hicolor" 16 22 24 32 48 64 128 256 <<'PY' || fail "the PNG icons are not all there at their sizes"
import struct, sys
folder, sizes = sys.argv[1], [int(size) for size in sys.argv[2:]]
wrong = []
for size in sizes:
    try:
        data = open(f"{folder}/{size}x{size}/apps/corvane.png", "rb").read(24)
    except OSError as error:
        wrong.append(str(error))
        continue
    if data[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", data[16:24]) != (size, size):
        wrong.append(f"{size}x{size} is not a {size}x{size} PNG")
print("\n".join(wrong), file=sys.stderr)
sys.exit(1 if wrong else 0)
PY

# The manual pages render without a warning and describe their program.
for program in corvane corvane-settings corvane-place; do
  page=$root/share/man/man1/$program.1.gz
  [ -f "$page" ] || continue
  text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$work/man.err")
  [ -s "$work/man.err" ] && fail "$program(1) renders with warnings: $(cat "$work/man.err")"
  grep -q "^NAME" <<<"$text" && grep -q "$program -" <<<"$text" || fail "$program(1) has no NAME section for $program"
done

# The installed programs run.
[ "$("$root/bin/corvane" --version)" = "corvane $version" ] || fail "installed corvane --version printed '$("$root/bin/corvane" --version)'"
"$root/bin/corvane-settings" defaults >"$work/defaults.json" || fail "installed corvane-settings defaults failed"
check=$("$root/bin/corvane-settings" check "$work/defaults.json")
[[ $check == OK:* ]] || fail "the installed defaults do not check: $check"

finish "installation under $prefix: all checks passed"
