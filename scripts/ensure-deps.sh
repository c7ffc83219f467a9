#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing; safe to run again. Usage: ensure-deps.sh [build|test|package|all]
set -euo pipefail

build_packages=(cmake make python3 mingw-w64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
                wine wine64 xvfb imagemagick xdotool)
test_packages=(googletest clang libclang-rt-14-dev libfuzzer-14-dev)
# The installer, the portable zip and their signatures; the install and
# signing tests build them too.
package_packages=(wixl zip osslsigncode openssl)

case "${1:-all}" in
build) wanted=("${build_packages[@]}") ;;
package) wanted=("${build_packages[@]}" "${package_packages[@]}") ;;
test | all) wanted=("${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}") ;;
*) echo "usage: $0 [build|test|package|all]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
