#!/bin/bash
# Installs what the build, the tests and the demo need on Debian 12 and is quick when everything
# is there: one dpkg query decides, apt runs only for what is missing (as root). Called first by
# scripts/test.sh, scripts/demo.sh and .ci/run. TREVANEL_SETUP_VERBOSE=1 reports a quick run too.
# Both cross builds need their compilers everywhere; 64-bit Wine runs the x64 twin everywhere, and
# 32-bit Wine (with the i386 architecture) comes only where the machine can run 32-bit programs.
# The FTP server of the transfer tests and the demo, valgrind for the soak and headless chromium
# for the run record's page come from Debian too.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
          wine wine64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev xvfb xauth imagemagick fonts-wine nsis
          valgrind python3-pyftpdlib chromium)

start=$(date +%s.%N)
need_i386=no
# 0 yes, 1 no, anything else no answer: then nothing is decided for the machine.
i386=0
"$(dirname "${BASH_SOURCE[0]}")/can-run-i386" || i386=$?
case $i386 in
    0)
        packages+=(wine32:i386)
        dpkg --print-foreign-architectures | grep -qx i386 || need_i386=yes ;;
    1) ;;
    *) echo "error: cannot tell whether this machine runs 32-bit programs" >&2; exit 1 ;;
esac

# dpkg-query names the installed ones; a package it does not know at all makes it fail, which
# only means that package is missing.
installed=$(dpkg-query -W -f '${db:Status-Status} ${Package}:${Architecture}\n' "${packages[@]}" \
    2>/dev/null | awk '$1 == "installed" { print $2 }' || true)
missing=()
for package in "${packages[@]}"; do
    case $package in
        *:*) grep -qx "$package" <<<"$installed" || missing+=("$package") ;;
        *) grep -q "^$package:" <<<"$installed" || missing+=("$package") ;;
    esac
done

if [ ${#missing[@]} -gt 0 ] || [ $need_i386 = yes ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "error: missing ${missing[*]}${missing[*]:+ }$([ $need_i386 = yes ] && echo '(and the i386 architecture)');" \
            "run scripts/setup.sh as root" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    [ $need_i386 = no ] || dpkg --add-architecture i386
    echo "Installing: ${missing[*]}"
    apt-get update -q
    [ ${#missing[@]} -eq 0 ] || apt-get install -y -q --no-install-recommends "${missing[@]}"
    awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "Setup took %.1f s\n", e - s }'
elif [ "${TREVANEL_SETUP_VERBOSE:-}" = 1 ]; then
    awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "Everything present (%.2f s)\n", e - s }'
fi
