#!/bin/bash
# Checks the documentation: every relative link in README.md and docs/*.md names a file of the
# tree (and a heading of it, for an anchor), every link of the help pages names a page and a section of it that exist, and every ZTTrevanelCtl command that README.md, the help pages (ui/Help/*.htm) and the
# read-mes (package/*.txt) name is listed in the program's usage text.
#   scripts/check-docs.sh CTL_USAGE    (CTL_USAGE prints "ZTTrevanelCtl --help"; CTest passes it)
# Prints each problem with its file and exits 1 when there is any.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage_program=${1:?usage: check-docs.sh CTL_USAGE}
problems=0
problem() { echo "$1"; problems=$((problems + 1)); }

# The anchors of a Markdown file's headings, as the usual renderers make them: lower case, code
# marks and punctuation dropped, blanks as "-".
anchors() {
    sed -n 's/^#\{1,6\} \(.*\)/\1/p' "$1" | tr 'A-Z' 'a-z' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'
}

# Links: [text](target) outside code spans; addresses with a scheme are not files. The file must
# exist relative to the linking file, and an anchor into a Markdown file must name a heading.
for doc in "$root/README.md" "$root"/docs/*.md; do
    dir=$(dirname "$doc")
    while IFS= read -r target; do
        case $target in
            ''|*://*|mailto:*) continue ;;
        esac
        file=${target%%#*}
        [ -n "$file" ] || file=$(basename "$doc")
        if [ ! -e "$dir/$file" ]; then
            problem "${doc#$root/}: link to a missing file: $target"
        elif [ "$target" != "${target#*#}" ] && [ "${file%.md}" != "$file" ] &&
            ! anchors "$dir/$file" | grep -qxF -- "${target#*#}"; then
            problem "${doc#$root/}: link to a missing heading: $target"
        fi
    done < <(sed 's/`[^`]*`//g' "$doc" | grep -o '\](\([^)]*\))' | sed 's/^](\(.*\))$/\1/')
done

# The help pages' links, anchors included: the pages link to each other's sections.
for page in "$root"/ui/Help/*.htm; do
    while IFS= read -r target; do
        case $target in *://*|mailto:*) continue ;; esac
        file=${target%%#*}
        [ -n "$file" ] || file=$(basename "$page")
        if [ ! -e "$root/ui/Help/$file" ]; then
            problem "${page#$root/}: link to a missing file: $target"
        elif [ "$target" != "${target#*#}" ] &&
            ! grep -q "id=\"${target#*#}\"" "$root/ui/Help/$file"; then
            problem "${page#$root/}: link to a missing section: $target"
        fi
    done < <(grep -o 'href="[^"]*"' "$page" | sed 's/^href="\(.*\)"$/\1/')
done

# Commands: the usage text lists each as "  NAME  ..." after "Usage:".
usage=$("$usage_program") || { problem "ctl usage: $usage_program failed"; usage=; }
commands=$(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$usage" | sort -u)
[ -n "$commands" ] || problem "ctl usage: no command found in the usage text"
for doc in "$root/README.md" "$root"/ui/Help/*.htm "$root"/package/*.txt; do
    # "ZTTrevanelCtl NAME" in any markup: the word that follows the program's name.
    while IFS= read -r name; do
        grep -qxF -- "$name" <<<"$commands" ||
            problem "${doc#$root/}: \"ZTTrevanelCtl $name\" is no command of the usage text"
    done < <(sed 's/<[^>]*>/ /g' "$doc" | tr '\n' ' ' | grep -o 'ZTTrevanelCtl[[:space:]]\+[a-z][a-z-]*' |
             awk '{ print $2 }' | sort -u)
done

[ $problems -eq 0 ] || { echo "$problems problem(s) in the documentation"; exit 1; }
echo "documentation: links and ZTTrevanelCtl commands checked"
