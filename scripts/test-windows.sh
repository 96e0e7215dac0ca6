#!/usr/bin/env bash
# The Windows build and its tests: installs the MinGW-w64 cross compiler,
# Wine and what the Wine tests need, cross-builds Oruna.scr and Oruna.dll
# (and the Windows test programs) into build-win/, makes the installer
# (build-win/artifacts/Oruna-<version>-setup.exe) and the zip
# (build-win/artifacts/Oruna-windows.zip), and runs the tests under Wine.
# Everything delivered is signed: with the certificate of ORUNA_SIGN_CERT
# (and ORUNA_SIGN_PASSWORD) when given, else with a throw-away test
# certificate made here, so that the signing step is always exercised; the
# signatures are verified either way. Artefacts signed with the throw-away
# certificate are for testing only.
#   scripts/test-windows.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win}

# The Linux packages (cmake, GoogleTest sources, stb, Xvfb, xdotool, sox)...
scripts/install-deps.sh
# ...and the Windows ones: the cross compiler, Wine, GStreamer for MP3
# through the media control interface, the Japanese locale's sources (code
# page 932 tests), NSIS for the installer, osslsigncode and openssl for
# signing.
packages=(
  g++-mingw-w64-x86-64 wine gstreamer1.0-plugins-base gstreamer1.0-plugins-good locales
  nsis osslsigncode openssl
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

# The throw-away certificate: self-signed, for code signing, two days.
ca_file=${ORUNA_SIGN_CA_FILE:-}
if [ -z "${ORUNA_SIGN_CERT:-}" ]; then
  mkdir -p "$dir"
  signing=$(cd "$dir" && pwd)/test-signing
  rm -rf "$signing"
  mkdir -p "$signing"
  (umask 077
   openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Oruna test signing (throw-away)" \
     -addext "extendedKeyUsage=codeSigning" -keyout "$signing/key.pem" -out "$signing/cert.pem" 2>/dev/null
   openssl rand -hex 16 > "$signing/password"
   openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$signing/test.pfx" \
     -passout "file:$signing/password")
  export ORUNA_SIGN_CERT=$signing/test.pfx
  ORUNA_SIGN_PASSWORD=$(cat "$signing/password")
  export ORUNA_SIGN_PASSWORD
  ca_file=$signing/cert.pem
  echo "Signing with a throw-away test certificate: $ORUNA_SIGN_CERT"
fi

start=$(date +%s)
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=Release \
  > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j"$(nproc)"
echo "Windows build: $(( $(date +%s) - start )) s"

# The artefacts, signed; the uninstaller is signed inside the installer.
cmake --build "$dir" --target windows-zip windows-installer | tee "$dir/package.log" | grep -E "^(Signed|Not signing|Installer)"
grep -q "^Signed Uninstall.exe" "$dir/package.log" || { echo "the uninstaller was not signed" >&2; exit 1; }
version=$(sed -n 's/^project(Oruna VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
verify=(osslsigncode verify)
[ -z "$ca_file" ] || verify+=(-CAfile "$ca_file")
for file in "$dir/package/Oruna.scr" "$dir/package/Oruna.dll" "$dir/artifacts/Oruna-$version-setup.exe"; do
  "${verify[@]}" -in "$file" > "$dir/verify.log" 2>&1 || { cat "$dir/verify.log"; echo "signature of $file does not verify" >&2; exit 1; }
  echo "Signature verified: $file"
done
echo "Artefacts: $dir/artifacts/Oruna-$version-setup.exe $dir/artifacts/Oruna-windows.zip"

# The Wine sessions share one prefix and take turns (a CTest resource lock).
start=$(date +%s)
(cd "$dir" && ctest --output-on-failure -j"$(nproc)")
echo "Windows tests under Wine: $(( $(date +%s) - start )) s"
