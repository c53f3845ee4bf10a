#!/bin/bash
# Installs what the build, the tests and the demo need on Debian 12 and is quick when everything
# is there: one dpkg query decides, apt runs only for what is missing (as root). Called first by
# scripts/test.sh, scripts/demo.sh and .ci/run. TREVANEL_SETUP_VERBOSE=1 reports a quick run too.
# Both cross builds need their compilers everywhere; 64-bit Wine runs the x64 twin everywhere, and
# 32-bit Wine (with the i386 architecture) comes only where the machine can run 32-bit programs.
# The FTP server of the transfer tests and the demo, valgrind for the soak and headless chromium
# for the run record's page come from Debian too.
#
# A mirror in the middle of a sync must not stop everything: a failed "apt-get update" is tried
# again and then only warned about, since the lists already here may hold what is missing (if they
# do not, the install fails with apt's words). 32-bit Wine that cannot be installed is said in one
# line and written to the note of scripts/wine32-road, which then sends the tests and the demo the
# road of a machine without 32-bit programs; anything else that cannot be installed stops here.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

packages=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
          wine wine64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev xvfb xauth imagemagick fonts-wine nsis
          valgrind python3-pyftpdlib chromium)
wine32=wine32:i386
note=$("$here/wine32-road" --note-file)

start=$(date +%s.%N)
took() { awk -v s="$start" -v e="$(date +%s.%N)" "BEGIN { printf \"$1\", e - s }"; }
need_i386=no
want_wine32=no
# 0 yes, 1 no, anything else no answer: then nothing is decided for the machine.
i386=0
"$here/can-run-i386" || i386=$?
case $i386 in
    0)
        want_wine32=yes
        dpkg --print-foreign-architectures | grep -qx i386 || need_i386=yes ;;
    1) ;;
    *) echo "error: cannot tell whether this machine runs 32-bit programs" >&2; exit 1 ;;
esac

# dpkg-query names the installed ones; a package it does not know at all makes it fail, which
# only means that package is missing.
wanted=("${packages[@]}")
[ $want_wine32 = no ] || wanted+=("$wine32")
installed=$(dpkg-query -W -f '${db:Status-Status} ${Package}:${Architecture}\n' "${wanted[@]}" \
    2>/dev/null | awk '$1 == "installed" { print $2 }' || true)
missing=()
for package in "${packages[@]}"; do
    grep -q "^$package:" <<<"$installed" || missing+=("$package")
done
wine32_missing=no
[ $want_wine32 = no ] || grep -qx "$wine32" <<<"$installed" || wine32_missing=yes

if [ ${#missing[@]} -eq 0 ] && [ $wine32_missing = no ]; then
    # Only the one who wrote it can take it away; a stale one is not read (scripts/wine32-road).
    rm -f "$note" 2>/dev/null || true
    [ "${TREVANEL_SETUP_VERBOSE:-}" != 1 ] || took "Everything present (%.2f s)\n"
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    # What a run as root found it could not install is no reason to stop a normal user's run.
    if [ ${#missing[@]} -eq 0 ] && [ -s "$note" ]; then
        echo "warning: $(cat "$note"); the x64 build's Wine suites take the 32-bit build's place" >&2
        exit 0
    fi
    names=("${missing[@]}")
    [ $wine32_missing = no ] || names+=("$wine32")
    echo "error: missing ${names[*]}$([ $need_i386 = yes ] && echo ' (and the i386 architecture)');" \
        "run scripts/setup.sh as root" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
log=$(mktemp "${TMPDIR:-/tmp}/trevanel-setup.XXXXXX")
trap 'rm -f "$log"' EXIT
# apt's own words for the last failure: its error lines, else its warnings, else its last line.
apt_words() {
    local words kind
    for kind in E W; do
        words=$(sed -n "s/^$kind: //p" "$log" | awk 'NR > 1 { printf "; " } { printf "%s", $0 }')
        [ -z "$words" ] || break
    done
    [ -n "$words" ] || words=$(tail -n 1 "$log")
    echo "$words"
}
# Runs apt-get with its output shown and kept in the log.
apt() {
    local status
    apt-get "$@" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    return "$status"
}

[ $need_i386 = no ] || dpkg --add-architecture i386
# An architecture added here goes again unless something of it got installed, so that a run that
# stops or goes on without 32-bit Wine leaves nothing half set up.
drop_i386() {
    [ $need_i386 = no ] || dpkg --remove-architecture i386 2>/dev/null || true
}
names=("${missing[@]}")
[ $wine32_missing = no ] || names+=("$wine32")
echo "Installing: ${names[*]}"
attempts=3
for attempt in $(seq $attempts); do
    apt update -q && break
    if [ "$attempt" -lt $attempts ]; then
        echo "apt-get update failed; trying again in 10 s ($attempt of $attempts)"
        sleep 10
    else
        echo "warning: apt-get update failed $attempts times ($(apt_words)); going on with the package lists this machine has" >&2
    fi
done

if [ ${#missing[@]} -gt 0 ] && ! apt install -y -q --no-install-recommends "${missing[@]}"; then
    echo "error: could not install ${missing[*]}: $(apt_words)" >&2
    drop_i386
    exit 1
fi

if [ $wine32_missing = yes ]; then
    if apt install -y -q --no-install-recommends "$wine32"; then
        rm -f "$note"
    elif [ -n "$(dpkg --audit 2>/dev/null)" ]; then
        # Unpacked but not configured: a broken state, not a package the mirror could not give.
        echo "error: installing $wine32 left packages half set up ($(apt_words)); run dpkg --configure -a" >&2
        exit 1
    else
        reason="32-bit Wine could not be installed (apt-get install $wine32: $(apt_words))"
        echo "warning: $reason; the x64 build's Wine suites take the 32-bit build's place" >&2
        drop_i386
        mkdir -p "$(dirname "$note")" && echo "$reason" >"$note" ||
            echo "warning: cannot keep that in $note: the tests will ask for 32-bit Wine" >&2
    fi
else
    rm -f "$note"
fi
took "Setup took %.1f s\n"
