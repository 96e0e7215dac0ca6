#!/usr/bin/env bash
# The Windows build and its tests: installs the MinGW-w64 cross compiler,
# Wine and what the Wine tests need, cross-builds Oruna.scr and Oruna.dll
# (and the Windows test programs) into build-win/, runs the tests under Wine
# and packs both programs into build-win/artifacts/Oruna-windows.zip.
#   scripts/test-windows.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win}

# The Linux packages (cmake, GoogleTest sources, stb, Xvfb, xdotool, sox)...
scripts/install-deps.sh
# ...and the Windows ones: the cross compiler, Wine, GStreamer for MP3
# through the media control interface, the Japanese locale's sources (code
# page 932 tests), zip for the artefact.
packages=(
  g++-mingw-w64-x86-64 wine gstreamer1.0-plugins-base gstreamer1.0-plugins-good locales zip
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

start=$(date +%s)
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=Release \
  > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j"$(nproc)"
echo "Windows build: $(( $(date +%s) - start )) s"

mkdir -p "$dir/artifacts"
rm -f "$dir/artifacts/Oruna-windows.zip"
zip -q -j "$dir/artifacts/Oruna-windows.zip" "$dir/bin/Oruna.scr" "$dir/bin/Oruna.dll"
echo "Artefact: $dir/artifacts/Oruna-windows.zip"

# The Wine sessions share one prefix and take turns (a CTest resource lock).
start=$(date +%s)
(cd "$dir" && ctest --output-on-failure -j"$(nproc)")
echo "Windows tests under Wine: $(( $(date +%s) - start )) s"
