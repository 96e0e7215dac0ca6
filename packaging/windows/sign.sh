#!/usr/bin/env bash
# Signs a Windows program in place (Authenticode, SHA-256, with osslsigncode)
# when the build is given a code-signing certificate:
#   ORUNA_SIGN_CERT        the certificate and its private key, a PKCS#12 file (.pfx, .p12)
#   ORUNA_SIGN_PASSWORD    that file's password (empty when it has none)
#   ORUNA_SIGN_TIMESTAMP   optional: the address of an RFC 3161 time-stamp server,
#                          so that the signature outlives the certificate
# Without ORUNA_SIGN_CERT it signs nothing and says so. The password reaches
# osslsigncode through a private file, never its command line (which every
# user of the machine can read).
#   sign.sh <file> [name to report, default: the file's]
set -euo pipefail
file=$1
name=${2:-$(basename "$file")}
if [ -z "${ORUNA_SIGN_CERT:-}" ]; then
  echo "Not signing $name: no code-signing certificate (ORUNA_SIGN_CERT is not set)"
  exit 0
fi
if ! command -v osslsigncode >/dev/null; then
  echo "sign.sh: osslsigncode is missing (Debian package osslsigncode)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "${ORUNA_SIGN_PASSWORD:-}" > "$work/password"
args=(sign -pkcs12 "$ORUNA_SIGN_CERT" -readpass "$work/password" -h sha256 -n "Oruna"
      -in "$file" -out "$work/signed")
[ -z "${ORUNA_SIGN_TIMESTAMP:-}" ] || args+=(-ts "$ORUNA_SIGN_TIMESTAMP")
osslsigncode "${args[@]}" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
cat "$work/signed" > "$file"
echo "Signed $name"
