#!/usr/bin/env bash
# Makes the README's pictures again: the real window on the demo folder, under a virtual
# display of its own (always 1280 x 1024, whatever display there is), brought to each state
# by tv_drive.exe, one screenshot per state, into docs/images/.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVISTA_BUILD_DIR:-$top/build}"
out="$top/docs/images"

"$top/scripts/setup.sh"
"$top/scripts/build.sh"
demo="$build/demo"
python3 "$top/scripts/make_demo.py" "$demo" >/dev/null
mkdir -p "$out"

. "$top/tests/harness/env.sh"
unset DISPLAY
tv_env_init "$build/shotsenv"
app=""
finish() {
    if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
    tv_env_stop
}
trap finish EXIT
tv_display_ensure
tv_prefix_ensure
tv_server_start
tv_services_start

log="$(ls "$WINEPREFIX"/drive_c/users/*/Temp/trelvista.log 2>/dev/null | head -1 || true)"
[ -n "$log" ] || log="$(echo "$WINEPREFIX"/drive_c/users/*/Temp)/trelvista.log"
rm -f "$log"
folder="Z:$(echo "$demo" | tr '/' '\\')"

# The number of the first line from line $2 on that holds $1, waiting up to 30 s for it.
wait_line() {
    local n
    for _ in $(seq 1 300); do
        n="$(tail -n +"$(($2 + 1))" "$log" 2>/dev/null | grep -n -F -- "$1" | head -1 | cut -d: -f1 || true)"
        if [ -n "$n" ]; then echo $(($2 + n)); return 0; fi
        sleep 0.1
    done
    echo "timed out waiting for \"$1\" in $log" >&2
    return 1
}
lines() { wc -l < "$log" 2>/dev/null || echo 0; }
drive() {
    wine "$build/bin/tv_drive.exe" "$@" </dev/null >/dev/null 2>&1 || { echo "tv_drive $* failed" >&2; return 1; }
}
# Waits for $1 after line $2 and for the paint after it, then saves the window as $3.png.
# With a fourth argument "painted" the paint came before $1's line (a search paints its
# results, then logs them), and only the list's own paint of its rows is waited for.
shot() {
    local at
    at="$(wait_line "$1" "$2")"
    if [ "${4:-}" = painted ]; then
        sleep 0.5
    else
        wait_line "Paint () OK" "$at" >/dev/null
    fi
    local window
    window="$(xdotool search --name '^Trelvista$' | head -1)"
    import -display "$DISPLAY" -window "$window" "$out/$3.png"
    echo "$out/$3.png"
}

wine "$build/bin/trelvista.exe" "$folder" >/dev/null 2>&1 &
app=$!
wait_line "WinMain () MSG" 0 >/dev/null
shot "Read () OK" 0 folder-list

from="$(lines)"
drive command 209
shot "Thread () END" "$from" size-chart

from="$(lines)"
drive drives
shot "Size () OK" "$from" drive-bars

from="$(lines)"
drive open "$folder\\Pictures"
wait_line "Read () OK" "$from" >/dev/null
from="$(lines)"
drive select landscape.png
drive command 214
shot "CImg::WIC (" "$from" image-preview

from="$(lines)"
drive open "$folder"
wait_line "Read () OK" "$from" >/dev/null
from="$(lines)"
drive find "{total}"
shot "Find (" "$from" find-results painted
