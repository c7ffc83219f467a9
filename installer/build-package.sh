#!/usr/bin/env bash
# Builds the Windows Installer package, the portable zip and their winget and
# Scoop manifests from a built marrowgate.exe.
# Usage: build-package.sh EXE OUT_DIR [GUIDE_HTML]
# The guide defaults to docs/marrowgate-guide.html; MG_PACKAGE_VERSION
# overrides the program's version (the install test builds a newer package).
# Authenticode: with MG_SIGN_CERT and MG_SIGN_KEY (PEM files; MG_SIGN_PASS
# the key's password, MG_SIGN_TIMESTAMP a time-stamping server) the program
# and the MSI are signed with osslsigncode. MG_DOWNLOAD_URL is the address
# the manifests give for the two files.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 EXE OUT_DIR [GUIDE_HTML]" >&2; exit 2; }
exe="$(realpath "$1")"
out="$(mkdir -p "$2" && cd "$2" && pwd)"
guide="$(realpath "${3:-$root/docs/marrowgate-guide.html}")"
for input in "$exe" "$guide"; do
    [ -f "$input" ] || { echo "missing: $input" >&2; exit 1; }
done

version="${MG_PACKAGE_VERSION:-}"
[ -n "$version" ] || version="$(sed -n 's/^#define MG_VERSION_TEXT "\(.*\)"$/\1/p' "$root/app/version.h")"
[ -n "$version" ] || { echo "no MG_VERSION_TEXT in app/version.h" >&2; exit 1; }

msi="$out/marrowgate-$version-x64.msi"
# One product code per version, the same at every build of it.
product_code="$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
    AE755719-8803-4381-9FA7-51D27B9720BB "$version")"
zip="$out/marrowgate-$version-portable.zip"

# wixl finds source files by names relative to the working directory only:
# it is given a folder holding all three.
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/marrowgate.exe"

# sign FILE: signs in place when a certificate and key are given.
sign() {
    [ -n "${MG_SIGN_CERT:-}" ] || return 0
    local options=(-certs "$MG_SIGN_CERT" -key "$MG_SIGN_KEY" -h sha256 -n Marrowgate
                   -i https://quarnwick.example/marrowgate)
    # From a file in the private staging folder: a password on the command
    # line shows in process lists.
    if [ -n "${MG_SIGN_PASS:-}" ]; then
        (umask 077 && printf '%s' "$MG_SIGN_PASS" >"$stage/sign-pass")
        options+=(-readpass "$stage/sign-pass")
    fi
    [ -z "${MG_SIGN_TIMESTAMP:-}" ] || options+=(-ts "$MG_SIGN_TIMESTAMP")
    osslsigncode sign "${options[@]}" -in "$1" -out "$1.signed" >/dev/null
    mv -f "$1.signed" "$1"
}
if [ -n "${MG_SIGN_CERT:-}" ] || [ -n "${MG_SIGN_KEY:-}" ]; then
    for input in "${MG_SIGN_CERT:-}" "${MG_SIGN_KEY:-}"; do
        [ -f "$input" ] || { echo "signing needs both MG_SIGN_CERT and MG_SIGN_KEY; missing: '$input'" >&2; exit 1; }
    done
    command -v osslsigncode >/dev/null || { echo "osslsigncode is missing (scripts/ensure-deps.sh package)" >&2; exit 1; }
    echo "signing marrowgate.exe and the MSI with $MG_SIGN_CERT"
else
    echo "NOT SIGNED: no MG_SIGN_CERT and MG_SIGN_KEY given; marrowgate.exe and the MSI carry no signature"
fi
# Signed before it goes into the MSI and the zip.
sign "$stage/marrowgate.exe"
cp "$guide" "$stage/marrowgate-guide.html"
cp "$root/res/marrowgate.ico" "$stage/marrowgate.ico"
cp "$root/README.md" "$stage/README.md"
# wixl takes flat names (CULTURE.adml); the zip keeps the templates' own
# folders. Every language the program speaks has its strings.
cultures=(en-US de-DE fr-FR es-ES it-IT pt-BR pl-PL ja-JP ar-SA)
policies="$root/installer/PolicyDefinitions"
mkdir -p "$stage/PolicyDefinitions"
cp "$policies/marrowgate.admx" "$stage/marrowgate.admx"
cp "$policies/marrowgate.admx" "$stage/PolicyDefinitions/"
policy_entries=(PolicyDefinitions/marrowgate.admx)
for culture in "${cultures[@]}"; do
    cp "$policies/$culture/marrowgate.adml" "$stage/$culture.adml"
    mkdir -p "$stage/PolicyDefinitions/$culture"
    cp "$policies/$culture/marrowgate.adml" "$stage/PolicyDefinitions/$culture/"
    policy_entries+=("PolicyDefinitions/$culture/marrowgate.adml")
done
(cd "$stage" && wixl --arch x64 -o "$msi.tmp" -D Version="$version" -D ProductCode="$product_code" -D ExeFile=marrowgate.exe \
    -D GuideFile=marrowgate-guide.html -D IconFile=marrowgate.ico "$root/installer/marrowgate.wxs")
sign "$msi.tmp"
mv -f "$msi.tmp" "$msi"

# The zip holds the three files flat and the templates in their folders.
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip.tmp" marrowgate.exe README.md marrowgate-guide.html \
    "${policy_entries[@]}")
mv -f "$zip.tmp" "$zip"

"$root/installer/write-manifests.py" --version "$version" --product-code "{$product_code}" \
    --msi "$msi" --zip "$zip" --url "${MG_DOWNLOAD_URL:-https://quarnwick.example/marrowgate/download}" --out "$out"

ls -l "$msi" "$zip" "$out/Quarnwick.Marrowgate.yaml" "$out/marrowgate.json" | awk '{print $5, $NF}'
