# Shared by the installation and package tests, sourced after scripts/check_lib.sh.
# check_update_module ROOT: under the installed prefix ROOT, the update checks'
# network module lies in lib*/corvane, carries Qt Network with every library it
# needs found, exports its factory, and bin/corvane looks for it where it is.
check_update_module() {
  local root=$1 module relative
  module=$(cd "$root" && ls -d lib*/corvane/corvane-update-network.so lib/*/corvane/corvane-update-network.so 2>/dev/null | head -n 1)
  if [ -z "$module" ]; then
    fail "the update network module (lib/corvane/corvane-update-network.so) was not installed"
    return
  fi
  ldd "$root/$module" >"$work/module.ldd" 2>&1 || fail "ldd cannot read $module: $(cat "$work/module.ldd")"
  grep -q 'libQt6Network' "$work/module.ldd" || fail "$module does not link Qt Network"
  grep -q 'not found' "$work/module.ldd" && fail "$module misses libraries: $(grep 'not found' "$work/module.ldd")"
  nm -D --defined-only "$root/$module" | grep -qw corvane_update_network_create_v1 ||
    fail "$module does not export its factory function"
  relative=$(realpath --relative-to="$root/bin" "$root/$module")
  grep -aqF "$relative" "$root/bin/corvane" || fail "bin/corvane does not look for the module at $relative"
}
