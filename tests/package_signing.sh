#!/usr/bin/env bash
# Packages signed with a throwaway certificate made here (never kept), checked
# with osslsigncode verify; an unsigned build says so; the winget and Scoop
# manifests describe the files beside them. Usage: package_signing.sh BUILD_DIR
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok:   $*"; }
check() { # check DESCRIPTION WANT GOT
    if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$2', saw '$3'"; fi
}
for tool in openssl osslsigncode wixl zip; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/ensure-deps.sh test)"; exit 1; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
version="$(sed -n 's/^#define MG_VERSION_TEXT "\(.*\)"$/\1/p' "$root/app/version.h")"
msi_name="marrowgate-$version-x64.msi"
zip_name="marrowgate-$version-portable.zip"
# verify FILE: osslsigncode's verdict against the throwaway certificate.
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }
zipped_exe() { # unpacks the zip's program to $2
    python3 -c 'import sys, zipfile; open(sys.argv[2], "wb").write(zipfile.ZipFile(sys.argv[1]).read("marrowgate.exe"))' "$1" "$2"
}

# -- unsigned: said plainly, and nothing carries a signature
unsigned="$work/unsigned"
said="$(env -u MG_SIGN_CERT -u MG_SIGN_KEY "$root/installer/build-package.sh" "$build/marrowgate.exe" "$unsigned")" ||
    { echo "FAIL: build-package.sh failed without a certificate"; exit 1; }
grep -q '^NOT SIGNED' <<<"$said" && ok "an unsigned build says so" || fail "no NOT SIGNED line in: $said"
verify "$unsigned/$msi_name" && fail "the unsigned MSI verifies" || ok "the unsigned MSI carries no signature"

# -- signed with a throwaway code-signing certificate
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Marrowgate throwaway test signer" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || { echo "FAIL: openssl made no certificate"; exit 1; }
signed="$work/signed"
said="$(MG_SIGN_CERT="$work/cert.pem" MG_SIGN_KEY="$work/key.pem" \
    "$root/installer/build-package.sh" "$build/marrowgate.exe" "$signed")" ||
    { echo "FAIL: build-package.sh failed with a certificate"; exit 1; }
grep -q '^NOT SIGNED' <<<"$said" && fail "a signed build says NOT SIGNED" || ok "a signed build does not say NOT SIGNED"
verify "$signed/$msi_name" && ok "the MSI's signature verifies" || fail "the MSI: $(cat "$work/verify.txt")"
zipped_exe "$signed/$zip_name" "$work/zipped.exe"
verify "$work/zipped.exe" && ok "the zip's marrowgate.exe signature verifies" ||
    fail "the zip's marrowgate.exe: $(cat "$work/verify.txt")"
grep -q 'Marrowgate throwaway test signer' "$work/verify.txt" && ok "signed by the given certificate" ||
    fail "the signer is not the given certificate: $(cat "$work/verify.txt")"
MG_SIGN_CERT="$work/cert.pem" "$root/installer/build-package.sh" "$build/marrowgate.exe" "$work/half" >/dev/null 2>&1 &&
    fail "a certificate without its key was accepted" || ok "a certificate without its key is refused"

# -- the manifests name the files beside them
sha() { sha256sum "$1" | cut -d' ' -f1; }
field() { sed -n "s/^ *$1: *//p" "$signed/Quarnwick.Marrowgate.yaml" | tr -d "'"; }
check "winget PackageVersion" "$version" "$(field PackageVersion)"
check "winget InstallerType" msi "$(field InstallerType)"
check "winget InstallerSha256 is the MSI's" "$(sha "$signed/$msi_name")" "$(field InstallerSha256 | tr 'A-F' 'a-f')"
check "winget InstallerUrl names the MSI" "$msi_name" "$(basename "$(field InstallerUrl)")"
grep -qa "$(field ProductCode)" "$signed/$msi_name" && ok "winget ProductCode $(field ProductCode) is the MSI's" ||
    fail "winget ProductCode $(field ProductCode) is not in the MSI"
scoop() { python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); a = d["architecture"]["64bit"]; print(d["version"], a["hash"], a["url"].rsplit("/", 1)[1], d["bin"])' "$signed/marrowgate.json"; }
check "Scoop manifest: version, the zip's SHA-256, its name, the program" \
    "$version $(sha "$signed/$zip_name") $zip_name marrowgate.exe" "$(scoop)"
python3 -c 'import sys, zipfile; sys.exit("marrowgate.exe" not in zipfile.ZipFile(sys.argv[1]).namelist())' \
    "$signed/$zip_name" && ok "the zip holds the program Scoop runs" || fail "no marrowgate.exe in the zip"

echo "$failures failed"
[ "$failures" -eq 0 ]
