#!/usr/bin/env bash
# Packages signed with a throwaway certificate made here (never kept), checked
# with osslsigncode verify; an unsigned build says so; the winget and Scoop
# manifests describe the files beside them. Usage: package_signing.sh BUILD_DIR
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$(cd "$1" && pwd)/marrowgate.exe"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok:   $*"; }
check() { if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$2', saw '$3'"; fi; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
version="$(sed -n 's/^#define MG_VERSION_TEXT "\(.*\)"$/\1/p' "$root/app/version.h")"
msi="marrowgate-$version-x64.msi"
zip="marrowgate-$version-portable.zip"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }

said="$(env -u MG_SIGN_CERT -u MG_SIGN_KEY "$root/installer/build-package.sh" "$exe" "$work/unsigned")"
grep -q '^NOT SIGNED' <<<"$said" && ok "an unsigned build says so" || fail "no NOT SIGNED line in: $said"
verify "$work/unsigned/$msi" && fail "the unsigned MSI verifies" || ok "the unsigned MSI carries no signature"

openssl req -x509 -newkey rsa:2048 -passout pass:throwaway -sha256 -days 2 -subj "/CN=Marrowgate throwaway test signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
    { echo "FAIL: openssl made no certificate"; exit 1; }
out="$work/signed"
MG_SIGN_CERT="$work/cert.pem" MG_SIGN_KEY="$work/key.pem" MG_SIGN_PASS=throwaway \
    "$root/installer/build-package.sh" "$exe" "$out" >/dev/null ||
    { echo "FAIL: build-package.sh failed with a certificate"; exit 1; }
verify "$out/$msi" && ok "the MSI's signature verifies" || fail "the MSI: $(cat "$work/verify.txt")"
python3 -c 'import sys, zipfile; open(sys.argv[2], "wb").write(zipfile.ZipFile(sys.argv[1]).read("marrowgate.exe"))' \
    "$out/$zip" "$work/zipped.exe"
verify "$work/zipped.exe" && grep -q 'throwaway test signer' "$work/verify.txt" &&
    ok "the zip's marrowgate.exe is signed by the given certificate" || fail "the zip's program: $(cat "$work/verify.txt")"
MG_SIGN_CERT="$work/cert.pem" "$root/installer/build-package.sh" "$exe" "$work/half" >/dev/null 2>&1 &&
    fail "a certificate without its key was accepted" || ok "a certificate without its key is refused"

sha() { sha256sum "$1" | cut -d' ' -f1; }
field() { sed -n "s/^ *$1: *//p" "$out/Quarnwick.Marrowgate.yaml" | tr -d "'"; }
check "winget: version, the MSI's name and SHA-256" "$version $msi $(sha "$out/$msi")" \
    "$(field PackageVersion) $(basename "$(field InstallerUrl)") $(field InstallerSha256 | tr 'A-F' 'a-f')"
check "Scoop: version, the zip's name and SHA-256" "$version $zip $(sha "$out/$zip")" \
    "$(python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); a = d["architecture"]["64bit"]
print(d["version"], a["url"].rsplit("/", 1)[1], a["hash"])' "$out/marrowgate.json")"

echo "$failures failed"
[ "$failures" -eq 0 ]
