#!/usr/bin/env bash
# The folders of src/ use each other in one direction only: the ground below, the
# exports on top.  Fails, naming the file, when an include reaches a folder it may not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
declare -A allowed=(
    [support]=""
    [tag]="support"
    [formats]=""
    [module]="support"
    [automation]="module support"
    [control]="tag automation module support"
    [registration]="module support"
    [tagfile]="formats automation module support"
    [server]="tagfile control registration automation tag formats module support"
)
status=0
for folder in "${!allowed[@]}"; do
    [ -d "$root/src/$folder" ] || continue
    while IFS=: read -r file _ line; do
        target=$(sed -n 's/.*#include "\([a-z_]*\)\/.*/\1/p' <<<"$line")
        [ -n "$target" ] || continue
        [ "$target" = "$folder" ] && continue
        case " ${allowed[$folder]} " in
            *" $target "*) ;;
            *) echo "check-layers: ${file#$root/} includes $target/ (src/$folder may use: ${allowed[$folder]:-nothing})"; status=1 ;;
        esac
    done < <(grep -rn '#include "' "$root/src/$folder" || true)
done
[ $status -eq 0 ] && echo "check-layers: every include points down"
exit $status
