#!/usr/bin/env bash
# Signing as docs/deploy.md describes it, with a throwaway self-signed code-signing certificate
# that openssl makes for this run: scripts/sign signs copies of both programs into
# build/signed/, builds the package from them and signs it, and `osslsigncode verify` accepts
# each against that certificate (the programs inside the signed package too), while the
# unsigned originals and a signed copy changed by one byte are refused.
#   tests/package/sign_test.sh BIN_DIR PACKAGE
# Ends with "signing: N passed, M failed".
set -uo pipefail
bin=$(cd "$1" && pwd) msi=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/signed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0; failed=0
check() {  # check NAME COMMAND...
    if "${@:2}" >"$work/out" 2>&1; then passed=$((passed + 1)); echo "ok   $1"
    else failed=$((failed + 1)); echo "FAIL $1"; tail -n 5 "$work/out"; fi
}
refuses() { ! "$@"; }
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1"; }

export KESTRINE_SIGN_PASSWORD="throwaway $RANDOM$RANDOM"
unset KESTRINE_TIMESTAMP_URL
check "throwaway certificate made" openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kestrine test signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/key.pem" -out "$work/cert.pem"
check "certificate file with its password" openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
    -out "$work/cert.pfx" -passout env:KESTRINE_SIGN_PASSWORD

files=("$bin/kestrine.exe" "$bin/kestrine-report.exe" "$msi")
rm -rf "$out"
check "scripts/sign signs all three" "$root/scripts/sign" "$work/cert.pfx" "$out" "$bin"
# What the signed package installs: its programs as msiextract unpacks them.
mkdir -p "$work/installed"
check "the signed package unpacks" msiextract -C "$work/installed" "$out/$(basename "$msi")"
for program in kestrine.exe kestrine-report.exe; do
    check "$program in the signed package is signed" verified "$(find "$work/installed" -name "$program" | head -n 1)"
done
for file in "${files[@]}"; do
    name=$(basename "$file")
    check "$name signed copy verifies" verified "$out/$name"
    check "$name signed with SHA-256 by the certificate" \
        bash -c 'osslsigncode verify -CAfile "$1" -in "$2" | grep -q "Subject: .*CN *= *Kestrine test signing" &&
                 osslsigncode verify -CAfile "$1" -in "$2" | grep -qi "sha256"' _ "$work/cert.pem" "$out/$name"
    check "$name original left unsigned" refuses verified "$file"
done
cp "$out/kestrine-report.exe" "$work/changed.exe"
printf '\x55' | dd of="$work/changed.exe" bs=1 seek=2048 conv=notrunc status=none
check "a signed copy changed by one byte is refused" refuses verified "$work/changed.exe"
KESTRINE_SIGN_PASSWORD=wrong check "a wrong password signs nothing" \
    refuses "$root/scripts/sign" "$work/cert.pfx" "$work/wrong" "$bin"

echo "signing: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
