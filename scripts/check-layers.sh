#!/usr/bin/env bash
# Checks the folder layers: the core folders, then the window folders, each list from the
# bottom up as CMakeLists.txt gives them. A file may include headers of its own folder and of
# folders earlier in the order, never later ones, so no core file includes a window header and
# no two folders include each other. The converter (cli/), the tools (tools/) and the fuzz
# targets (fuzz/) sit on the core alone. Prints every offending include and exits 1 if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

list() { sed -n "s/^set($1 \(.*\))$/\1/p" CMakeLists.txt; }
read -r -a core <<<"$(list KESTROVA_CORE_FOLDERS)"
read -r -a window <<<"$(list KESTROVA_WINDOW_FOLDERS)"
[ ${#core[@]} -gt 0 ] && [ ${#window[@]} -gt 0 ] || { echo "check-layers: no folder lists in CMakeLists.txt"; exit 2; }
order=("${core[@]}" "${window[@]}")

rank() { # position of a folder in the order, or nothing
    local i
    for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && echo "$i" && return; done
}

bad=0
check() { # folder, highest rank it may include
    local folder=$1 limit=$2 line file target r
    while IFS= read -r line; do
        file=${line%%:*}
        target=$(sed -n 's/.*#include *"\([^"]*\)".*/\1/p' <<<"${line#*:}")
        case $target in
        ../* | */../*) echo "$file: includes $target: no includes that climb out of the folder"; bad=1; continue ;;
        */*) ;;
        *) continue ;; # generated files (moc) and neighbours found beside the file
        esac
        [ "${target%%/*}" = "$folder" ] && continue
        r=$(rank "${target%%/*}")
        if [ -z "$r" ] || [ "$r" -gt "$limit" ]; then
            echo "$file: includes $target, which $folder/ may not use"
            bad=1
        fi
    done < <(grep -H -E '^\s*#\s*include\s*"' -r --include='*.cpp' --include='*.h' "$folder" || true)
}

for i in "${!order[@]}"; do check "${order[$i]}" "$i"; done
for consumer in cli tools fuzz; do check "$consumer" $((${#core[@]} - 1)); done

# Every folder with code is placed somewhere.
for dir in $(git ls-files '*.cpp' '*.h' | sed -n 's#^\([^/]*\)/.*#\1#p' | sort -u); do
    case " ${order[*]} cli tools fuzz tests bench " in *" $dir "*) continue ;; esac
    echo "$dir/: holds code but is in neither folder list of CMakeLists.txt"
    bad=1
done
exit $bad
