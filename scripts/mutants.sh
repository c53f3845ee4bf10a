#!/bin/bash
# Puts deliberate faults into the decision code one at a time and tells which the native suites
# catch: scripts/mutants.sh [NAME...] (all of scripts/mutants.txt when no name is given).
#
# Each mutation in scripts/mutants.txt names a file, an exact text that occurs in it once and the
# text that replaces it. For each: the text is replaced, the native preset rebuilt, the native
# suites run (the valgrind soak left out), the file put back. It prints per mutation "caught by"
# the failing tests, "MISSED", or why it could not be tried (text not found once, no build), and a
# score. Exit status 0 when every mutation tried was caught, 1 otherwise. Takes minutes: run it
# before a change to the launch guard or the store is called done, not in CI.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
list="$root/scripts/mutants.txt"
jobs=${TREVANEL_JOBS:-2}
work=$(mktemp -d)
trap 'restore; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

current=""
restore() {
    [ -z "$current" ] || cp "$work/original" "$root/$current"
    current=""
}

# Writes each mutation of the list as three files (file, find, replace) into $work/m/<n>/.
/usr/bin/python3 - "$list" "$work/m" <<'EOF'
import os, sys
text = open(sys.argv[1], encoding="utf-8").read()
out = sys.argv[2]
# "=== name", "file PATH", then "--- find" and "--- replace", each followed by its exact lines.
# A leading newline, so that a list that begins with its first mutation loses none.
for n, block in enumerate(("\n" + text).split("\n=== ")[1:], 1):
    lines = block.split("\n")
    name, file = lines[0].strip(), lines[1].split(" ", 1)[1].strip()
    body = "\n".join(lines[2:])
    find, replace = (body + "\n").split("\n--- replace\n", 1)
    find = find.split("--- find\n", 1)[1]
    d = os.path.join(out, "%03d" % n)
    os.makedirs(d)
    for part, value in (("name", name), ("file", file), ("find", find), ("replace", replace.rstrip("\n"))):
        open(os.path.join(d, part), "w", encoding="utf-8").write(value)
EOF
[ $? -eq 0 ] || { echo "error: cannot read $list" >&2; exit 2; }

# A deliberate fault may leave a variable or function unused: warnings are no errors here, and the
# build's own choice comes back at the end.
werror=$(sed -n 's/^TREVANEL_WERROR:BOOL=//p' build/native/CMakeCache.txt 2>/dev/null)
trap 'restore; rm -rf "$work"; [ -z "$werror" ] || cmake --preset native -DTREVANEL_WERROR="$werror" >/dev/null' EXIT
cmake --preset native -DTREVANEL_WERROR=OFF >/dev/null && cmake --build --preset native -j "$jobs" >/dev/null ||
    { echo "error: the native build fails without mutations" >&2; exit 2; }
ctest --preset native -j "$jobs" -E soak >"$work/ctest.log" 2>&1 ||
    { echo "error: the native suites fail without mutations (see: ctest --preset native)" >&2; exit 2; }

tried=0
caught=0
problems=()
# A misspelt name would otherwise pass as "0 of 0 caught".
for wanted in "$@"; do
    awk 1 "$work"/m/*/name | grep -qxF -- "$wanted" || { echo "NOT TRIED: no mutation named \"$wanted\""; problems+=("$wanted"); }
done
for dir in "$work"/m/*/; do
    name=$(cat "$dir/name")
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qxF -- "$name"; then continue; fi
    file=$(cat "$dir/file")
    verdict=$(/usr/bin/python3 - "$root/$file" "$dir/find" "$dir/replace" "$work/original" <<'EOF'
import sys
path, find, replace, original = sys.argv[1:]
try:
    text = open(path, encoding="utf-8").read()
except OSError:
    print("no such file"); sys.exit()
find = open(find, encoding="utf-8").read()
count = text.count(find)
if count != 1:
    print("text found %d times" % count); sys.exit()
open(original, "w", encoding="utf-8").write(text)
open(path, "w", encoding="utf-8").write(text.replace(find, open(replace, encoding="utf-8").read()))
print("applied")
EOF
)
    if [ "$verdict" != applied ]; then
        printf '%-58s NOT TRIED: %s in %s\n' "$name" "$verdict" "$file"
        problems+=("$name")
        continue
    fi
    current=$file
    tried=$((tried + 1))
    if ! cmake --build --preset native -j "$jobs" >"$work/build.log" 2>&1; then
        restore
        printf '%-58s NOT TRIED: does not build\n' "$name"
        problems+=("$name")
        tried=$((tried - 1))
        continue
    fi
    ctest --preset native -j "$jobs" -E soak --timeout 120 >"$work/ctest.log" 2>&1
    status=$?
    restore
    if [ $status -ne 0 ]; then
        caught=$((caught + 1))
        failed=$(sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\) (.*)$/\1/p' "$work/ctest.log")
        [ -n "$failed" ] || failed="ctest (status $status)"
        printf '%-58s caught by %s\n' "$name" "$(head -3 <<<"$failed" | paste -sd ' ')$( [ "$(wc -l <<<"$failed")" -le 3 ] || echo ' ...')"
    else
        printf '%-58s MISSED\n' "$name"
        problems+=("$name")
    fi
done

cmake --build --preset native -j "$jobs" >/dev/null
echo
echo "Score: $caught of $tried mutations caught${problems:+; not caught or not tried: ${#problems[@]}}"
[ ${#problems[@]} -eq 0 ]
