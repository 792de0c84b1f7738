#!/usr/bin/env bash
# Fails when a source folder includes a folder above it, or two folders include each other.
# Levels, lowest first; a folder may include its own level and the levels below.
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}

level_of() {
    case "$1" in
    platform/*) echo 0 ;;
    services) echo 1 ;;
    data) echo 2 ;;
    app) echo 3 ;;
    browse | layout) echo 4 ;;
    interchange | importers | musicfiles | maintenance | catalog | catalog/* | albums | wizard | playlists | reports | labels | stats | lookup) echo 5 ;;
    ui | cli) echo 6 ;;
    ui/*) echo 7 ;;
    .) echo 8 ;;
    *) echo "unknown" ;;
    esac
}

faults=0
declare -A edges=()
cd "$src"
while IFS= read -r file; do
    from=$(dirname "$file")
    from=${from#./}
    while IFS= read -r inc; do
        to=$(dirname "$inc")
        [ "$to" = "." ] && continue
        [ "$to" = "$from" ] && continue
        [ -d "$to" ] || continue
        edges["$from>$to"]="$file"
        lf=$(level_of "$from")
        lt=$(level_of "$to")
        if [ "$lf" = unknown ] || [ "$lt" = unknown ]; then
            echo "no level for folder: $from or $to (add it to check_layers.sh)"
            faults=$((faults + 1))
        elif [ "$lt" -gt "$lf" ]; then
            echo "$file includes $inc: $from may not include $to, which is above it"
            faults=$((faults + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sort)

for edge in "${!edges[@]}"; do
    a=${edge%%>*}
    b=${edge#*>}
    if [[ "$a" < "$b" ]] && [ -n "${edges["$b>$a"]:-}" ]; then
        echo "$a and $b include each other (${edges[$edge]}, ${edges["$b>$a"]})"
        faults=$((faults + 1))
    fi
done

if [ "$faults" -gt 0 ]; then
    echo "$faults layering fault(s)"
    exit 1
fi
echo "layers: every include goes down or sideways"
