#!/usr/bin/env bash
# The two layers in one direction: the computing layer (every src/ folder but shell, app and ui/
# folders) includes no Qt header and nothing of the user interface; the shell includes no tool window.
# Prints each offending include and exits 1 when there is one.
set -u
cd "$(dirname "$0")/../src" || exit 2
status=0
report() {
    echo "$1"
    status=1
}
for file in $(find . -path ./shell -prune -o -path ./app -prune -o -path '*/ui' -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print); do
    while IFS= read -r line; do
        report "${file#./}: the computing layer includes Qt or the user interface: $line"
    done < <(grep -nE '^\s*#\s*include\s*[<"](Q[A-Za-z]|qt|shell/|app/|[a-z]+/ui/)' "$file")
done
for file in $(find ./shell -type f \( -name '*.h' -o -name '*.cpp' \)); do
    while IFS= read -r line; do
        report "${file#./}: the shell includes a tool window: $line"
    done < <(grep -nE '^\s*#\s*include\s*"([a-z]+/ui/|app/)' "$file")
done
# The Python module binds the computing layer only.
for file in $(find ../python -type f \( -name '*.h' -o -name '*.cpp' \)); do
    while IFS= read -r line; do
        report "${file#../}: the Python module includes Qt or the user interface: $line"
    done < <(grep -nE '^\s*#\s*include\s*[<"](Q[A-Za-z]|qt|shell/|app/|[a-z]+/ui/)' "$file")
done
[ $status -eq 0 ] && echo "layers: the core and the Python module include no Qt and no user interface; the shell includes no tool"
exit $status
