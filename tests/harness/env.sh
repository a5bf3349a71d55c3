# Test environment under Wine, sourced by the test scripts and by wine-run.
#
# Everything lives below one root folder of the run: the Wine prefix, HOME and
# XDG_DATA_HOME (so the prefix never links to the user's own folders and the recycle bin
# is a folder of the run), the virtual display's state. The user's ~/.wine is never used.

tv_env_init() {
    mkdir -p "$1"
    TV_ROOT="$(cd "$1" && pwd)"
    mkdir -p "$TV_ROOT/home" "$TV_ROOT/xdg/Trash" "$TV_ROOT/state"
    export TV_ROOT
    export WINEPREFIX="$TV_ROOT/prefix"
    export HOME="$TV_ROOT/home"
    export XDG_DATA_HOME="$TV_ROOT/xdg"
    export WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all}"
    # No Mono or Gecko installers: their absence is part of the platform under test. No menu
    # builder either: it would copy each Start menu shortcut (an installer's) into the run's
    # HOME as a Linux menu entry, and keep it there after the shortcut is gone.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
    unset WINESERVER
}

# Starts Xvfb when there is no display, and exports DISPLAY. A display started here is
# recorded in the root so that later calls (each test process) share it.
tv_display_ensure() {
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    local state="$TV_ROOT/state/display"
    (
        flock 9
        if [ -f "$state" ]; then
            read -r num pid < "$state"
            if kill -0 "$pid" 2>/dev/null && [ -S "/tmp/.X11-unix/X$num" ]; then exit 0; fi
        fi
        num=99
        while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do num=$((num + 1)); done
        # The server must not inherit the lock, or it would hold it for as long as it runs.
        Xvfb ":$num" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
        pid=$!
        for _ in $(seq 1 200); do
            [ -S "/tmp/.X11-unix/X$num" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        if [ ! -S "/tmp/.X11-unix/X$num" ]; then echo "Xvfb did not start" >&2; exit 1; fi
        echo "$num $pid" > "$state"
    ) 9>"$TV_ROOT/state/display.lock" || return 1
    read -r num _ < "$state"
    export DISPLAY=":$num"
}

# Creates the prefix on first use: windows close in milliseconds when Wine does not hand
# them to a window manager ("Managed" = "N").
tv_prefix_ensure() {
    (
        flock 9
        if [ -f "$WINEPREFIX/.trelvista-ready" ]; then exit 0; fi
        wineboot -i >/dev/null 2>&1 9>&-
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.trelvista-ready"
    ) 9>"$TV_ROOT/state/prefix.lock"
}

# One persistent wineserver for the whole run: process starts then take milliseconds.
# A server that already runs for this prefix (a benchmark, an earlier run) is used as it is.
tv_server_start() { wineserver -p 2>/dev/null || echo "Using the Wine server that runs for $WINEPREFIX"; }

tv_env_stop() {
    wineserver -k 2>/dev/null || true
    local state="$TV_ROOT/state/display"
    if [ -f "$state" ]; then
        read -r _ pid < "$state"
        kill "$pid" 2>/dev/null || true
        rm -f "$state"
    fi
}

# Starts Wine's own helper processes (services, the desktop window) with no inherited
# output, so that the first test program does not hand them its pipes.
tv_services_start() { wine cmd /c exit </dev/null >/dev/null 2>&1 || true; }
