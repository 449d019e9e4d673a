#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Corvane needs.
# Idempotent: packages already present are left alone, and apt is only consulted
# when something is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build make pkg-config lld
  # libraries
  qt6-base-dev qt6-base-dev-tools fonts-dejavu-core
  libxcb1-dev libxcb-randr0-dev libxcb-xtest0-dev
  libxkbcommon-x11-dev libxkbcommon-dev
  nlohmann-json3-dev libutf8proc-dev
  # the update feed's Ed25519 signature
  libsodium-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb openbox xdotool x11-xkb-utils wmctrl x11-utils x11-xserver-utils trayer xcompmgr
  xserver-xorg-core xserver-xorg-video-dummy
  dbus at-spi2-core python3-pyatspi python3-gi
  # the window-manager matrix: each window manager, the schemas Muffin and Marco read
  # at start, and two real clients (a terminal, a GTK 3 program with its own title bar)
  xfwm4 kwin-x11 mutter muffin marco metacity icewm fluxbox i3-wm
  cinnamon-settings-daemon mate-settings-daemon-common xterm gtk-3-examples
  # installation and the Debian package: manual pages, validators, dpkg-shlibdeps
  scdoc desktop-file-utils appstream man-db dpkg-dev
  # source checks (scripts/check_*.sh): formatting, clang-tidy and the clang++ it configures with
  clang-format clang-tidy clang
  # the fuzz targets: libFuzzer and the sanitizer runtimes for clang
  libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
