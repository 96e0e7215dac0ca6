#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need, only
# those missing. Uses sudo when not root.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-mixer-dev libmpg123-dev libcdio-dev libcdio-paranoia-dev
  libgtk-3-dev libcairo2-dev libx11-dev libxext-dev libxss-dev libxtst-dev libxfixes-dev libxrandr-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libstb-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick fonts-vlgothic openbox
  xscreensaver
  sox libsox-fmt-mp3 clang libclang-rt-14-dev
  libxml2-utils desktop-file-utils mate-screensaver dbus-daemon  # installation tests
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xfwm4  # monitor and window manager tests
  weston sway swayidle grim wtype xwayland  # Wayland desktop tests (headless, through XWayland)
  dbus-bin  # the screen-saver calls on a session bus, watched by the power-saving tests
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
