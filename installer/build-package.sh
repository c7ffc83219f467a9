#!/usr/bin/env bash
# Builds the Windows Installer package and the portable zip from a built
# marrowgate.exe. Usage: build-package.sh EXE OUT_DIR [GUIDE_HTML]
# The guide defaults to docs/marrowgate-guide.html; MG_PACKAGE_VERSION
# overrides the program's version (the install test builds a newer package).
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
zip="$out/marrowgate-$version-portable.zip"

# wixl finds source files by names relative to the working directory only:
# it is given a folder holding all three.
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/marrowgate.exe"
cp "$guide" "$stage/marrowgate-guide.html"
cp "$root/res/marrowgate.ico" "$stage/marrowgate.ico"
cp "$root/README.md" "$stage/README.md"
# wixl takes flat names; the zip keeps the templates' own folders.
cp "$root/installer/PolicyDefinitions/marrowgate.admx" "$stage/marrowgate.admx"
cp "$root/installer/PolicyDefinitions/en-US/marrowgate.adml" "$stage/en-US.adml"
mkdir -p "$stage/PolicyDefinitions/en-US"
cp "$root/installer/PolicyDefinitions/marrowgate.admx" "$stage/PolicyDefinitions/"
cp "$root/installer/PolicyDefinitions/en-US/marrowgate.adml" "$stage/PolicyDefinitions/en-US/"
(cd "$stage" && wixl --arch x64 -o "$msi.tmp" -D Version="$version" -D ExeFile=marrowgate.exe \
    -D GuideFile=marrowgate-guide.html -D IconFile=marrowgate.ico "$root/installer/marrowgate.wxs")
mv -f "$msi.tmp" "$msi"

# The zip holds the three files flat and the templates in their folders.
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip.tmp" marrowgate.exe README.md marrowgate-guide.html \
    PolicyDefinitions/marrowgate.admx PolicyDefinitions/en-US/marrowgate.adml)
mv -f "$zip.tmp" "$zip"

ls -l "$msi" "$zip" | awk '{print $5, $NF}'
