#!/usr/bin/env bash
# Signs Windows programs and libraries in place (Authenticode, SHA-256, with osslsigncode)
# when OCUVELL_SIGN_PFX names a PKCS#12 file (certificate and key) and
# OCUVELL_SIGN_PASSWORD_FILE a file holding its password; OCUVELL_SIGN_TIMESTAMP may name
# an RFC 3161 timestamp server, so the signatures stay valid after the certificate
# expires. With neither variable set it signs nothing and succeeds; with one of them, or a
# signature that fails, it fails. The password never appears on a command line.
# Usage: scripts/sign-windows.sh FILE...
set -euo pipefail
say() { echo "sign-windows: $*" >&2; }
pfx=${OCUVELL_SIGN_PFX:-}
pass=${OCUVELL_SIGN_PASSWORD_FILE:-}
[ -z "$pfx" ] && [ -z "$pass" ] && exit 0
[ -n "$pfx" ] && [ -n "$pass" ] || { say "OCUVELL_SIGN_PFX and OCUVELL_SIGN_PASSWORD_FILE go together"; exit 1; }
[ -r "$pfx" ] || { say "cannot read $pfx"; exit 1; }
[ -r "$pass" ] || { say "cannot read $pass"; exit 1; }
command -v osslsigncode >/dev/null || { say "osslsigncode is missing (scripts/deps.sh windows)"; exit 1; }
timestamp=()
[ -n "${OCUVELL_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$OCUVELL_SIGN_TIMESTAMP")
for file in "$@"; do
  signed="$file.signed"
  rm -f "$signed"
  if ! osslsigncode sign -pkcs12 "$pfx" -readpass "$pass" -h sha256 -n Ocuvell \
      -i https://www.tevaro.example/ "${timestamp[@]}" -in "$file" -out "$signed" >"$file.sign.log" 2>&1; then
    cat "$file.sign.log" >&2
    rm -f "$signed" "$file.sign.log"
    say "could not sign $file"
    exit 1
  fi
  rm -f "$file.sign.log"
  mv -f "$signed" "$file"
done
