#!/bin/bash
# scripts/setup.sh's decisions against a stand-in of apt and dpkg: what it installs, what it only
# warns about and when it stops, and what scripts/wine32-road answers afterwards. Each case runs a
# copy of the two scripts in its own folder, beside a can-run-i386 that answers yes.
set -u
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/trevanel-setup-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# The stand-ins keep their state in files of $FAKE: installed packages, the architectures, the calls.
make_fakes() {
    mkdir -p "$1"
    cat >"$1/dpkg-query" <<'FAKE'
#!/bin/bash
shift 3
for name in "$@"; do
    package=${name%%:*}; arch=amd64; [ "$name" = "${name#*:}" ] || arch=${name#*:}
    grep -qx "$name" "$FAKE/installed" && echo "installed $package:$arch"
done
exit 0
FAKE
    cat >"$1/dpkg" <<'FAKE'
#!/bin/bash
echo "dpkg $*" >>"$FAKE/calls"
case $1 in
    --audit) cat "$FAKE/audit" 2>/dev/null ;;
    --print-foreign-architectures) cat "$FAKE/arch" ;;
    --add-architecture) echo "$2" >>"$FAKE/arch" ;;
    --remove-architecture) sed -i "/^$2\$/d" "$FAKE/arch" ;;
esac
FAKE
    cat >"$1/apt-get" <<'FAKE'
#!/bin/bash
echo "apt-get $*" >>"$FAKE/calls"
if [ "$1" = update ]; then
    [ ! -e "$FAKE/update-fails" ] && exit 0
    echo "E: Failed to fetch http://deb.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress?"
    exit 100
fi
for name in "$@"; do
    if grep -qx -- "$name" "$FAKE/refused" 2>/dev/null; then
        echo "The following packages have unmet dependencies:"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
    fi
done
for name in "$@"; do case $name in -*|install) ;; *) echo "$name" >>"$FAKE/installed" ;; esac; done
FAKE
    printf '#!/bin/bash\nif [ -e "$FAKE/nonroot" ]; then echo 1000; else echo 0; fi\n' >"$1/id"
    printf '#!/bin/bash\necho "sleep $*" >>"$FAKE/calls"\n' >"$1/sleep"
    chmod +x "$1"/*
}

# check NAME CONDITION-TEXT COMMAND...: a failed condition is reported with the case's output.
check() {
    local name=$1 what=$2
    shift 2
    if ! "$@"; then
        echo "FAILED: $name: $what"
        echo "--- output:"; cat "$FAKE/out"
        echo "--- calls:"; cat "$FAKE/calls" 2>/dev/null
        failures=$((failures + 1))
    fi
}

# run_case NAME INSTALLED ARCH: a fresh copy of the scripts and stand-ins, then setup.sh in it.
run_case() {
    export FAKE="$work/$1" TREVANEL_SETUP_STATE="$work/$1/state"
    mkdir -p "$FAKE/scripts"
    cp "$source_dir/scripts/setup.sh" "$source_dir/scripts/wine32-road" "$FAKE/scripts/"
    printf '#!/bin/bash\n[ "${1:-}" = -v ] && echo yes\nexit 0\n' >"$FAKE/scripts/can-run-i386"
    chmod +x "$FAKE/scripts/can-run-i386"
    make_fakes "$FAKE/bin"
    printf '%s\n' $2 >"$FAKE/installed"
    printf '%s\n' $3 >"$FAKE/arch"
    : >"$FAKE/calls"
}
setup() {
    PATH="$FAKE/bin:$PATH" "$FAKE/scripts/setup.sh" >"$FAKE/out" 2>&1
    echo $? >"$FAKE/status"
}
road() { PATH="$FAKE/bin:$PATH" "$FAKE/scripts/wine32-road" -v; }
status_is() { [ "$(cat "$FAKE/status")" = "$1" ]; }
said() { grep -qF -- "$1" "$FAKE/out"; }
called() { grep -qF -- "$1" "$FAKE/calls"; }

everything=$(sed -n '/^packages=(/,/)$/p' "$source_dir/scripts/setup.sh" | tr -d '()' |
    sed 's/packages=//' | tr -s ' \n' '\n' | grep -v '^$')
all_but() { grep -vx "$1" <<<"$everything"; }

run_case present "$everything wine32:i386" i386
setup
check present "exits 0 without apt" eval 'status_is 0 && ! called apt-get && ! called "dpkg --add"'
check present "the road is the 32-bit one" eval '[ "$(road)" = yes ]'

run_case update-fails "$(all_but nsis) wine32:i386" i386
touch "$FAKE/update-fails"
setup
check update-fails "warns with apt's words and installs what the lists hold" eval \
    'status_is 0 && said "warning: apt-get update failed 3 times (Failed to fetch" &&
     said "Mirror sync in progress?); going on with the package lists this machine has" &&
     [ "$(grep -c "apt-get update" "$FAKE/calls")" = 3 ] && called "apt-get install -y -q --no-install-recommends nsis"'

run_case wine32-refused "$everything" ""
echo wine32:i386 >"$FAKE/refused"
setup
reason="32-bit Wine could not be installed (apt-get install wine32:i386: Unable to correct problems, you have held broken packages.)"
check wine32-refused "one line says what failed, apt's words and what takes its place" eval \
    'status_is 0 && said "warning: $reason; the x64 build'"'"'s Wine suites take the 32-bit build'"'"'s place"'
check wine32-refused "the architecture it added goes again" eval \
    'called "dpkg --add-architecture i386" && ! grep -qx i386 "$FAKE/arch"'
check wine32-refused "the road is the x64 one, for that reason" eval '[ "$(road)" = "$reason" ]'
setup
check wine32-refused "a second run tries again and says the same" eval \
    'status_is 0 && said "warning: $reason" && [ "$(grep -c "install.*wine32:i386" "$FAKE/calls")" = 2 ]'
touch "$FAKE/nonroot"
setup
check wine32-refused "a normal user's run after it warns and goes on" eval 'status_is 0 && said "warning: $reason"'
rm "$FAKE/refused" "$FAKE/nonroot"
setup
check wine32-refused "once installed, the 32-bit road is back and the note gone" eval \
    'status_is 0 && [ "$(road)" = yes ] && [ ! -e "$TREVANEL_SETUP_STATE/wine32-not-installed" ]'

run_case half-installed "$everything" i386
echo wine32:i386 >"$FAKE/refused"
echo "wine32 is unpacked but not configured" >"$FAKE/audit"
setup
check half-installed "packages left unconfigured stop it" eval 'status_is 1 && said "run dpkg --configure -a"'

run_case no-lists "$(all_but wine)" ""
touch "$FAKE/update-fails"
echo wine >"$FAKE/refused"
setup
check no-lists "a package that is not wine32 stops it with apt's words and the package" eval \
    'status_is 1 && said "error: could not install wine: Unable to correct problems" && ! said "Setup took"'
check no-lists "the architecture it added goes again" eval '! grep -qx i386 "$FAKE/arch"'

[ $failures -eq 0 ] && echo "All setup roads behave." && exit 0
exit 1
