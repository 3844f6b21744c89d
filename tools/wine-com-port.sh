#!/bin/bash
# wine-com-port.sh: serial ports for korvalin.exe under Wine: a loopback plug, and COMn mapped to it.
#
#   tools/wine-com-port.sh loopback LINK PIDFILE
#       Starts a loopback plug in the background: a pseudo-terminal, reached through the
#       symbolic link LINK, that sends back everything written to it (socat). Returns once LINK
#       exists; the plug's process id is in PIDFILE.
#   tools/wine-com-port.sh slow LINK PIDFILE
#       As loopback, but a slow talker: the far end sends one byte ("U") every 100 ms and
#       takes what is written to it without sending it back.
#   tools/wine-com-port.sh stop PIDFILE
#       Ends the plug PIDFILE names (nothing when it has already gone) and removes PIDFILE.
#   tools/wine-com-port.sh map [--bits 32|64] PREFIX NAME PATH [NAME PATH ...]
#       Maps each COM port NAME (COM5) in the Wine prefix PREFIX to the Unix PATH: a plug's
#       LINK, a plain file, or a path that does not exist (a port that is not there). --bits
#       is for a prefix not made yet, as for tools/wine-run.sh.
#
# Wine reads its port map (HKLM\Software\Wine\Ports, NAME = PATH) only when a prefix's session
# starts: it then links dosdevices/comN to PATH, and every open follows that link. A changed
# map therefore ends the prefix's Wine processes (wineserver -k), and the next run starts a
# session that has it. A map Wine already has is left alone, running programs and all. A
# removed value leaves its link behind, so a port once mapped stays mapped.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
usage() {
    sed -n '4,16p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# The pseudo-terminal comes and goes with socat; LINK stays the same path across runs, so a
# prefix mapped to it once keeps working.
loopback() {  # LINK PIDFILE [FAR_END]
    local link=$1 pidfile=$2 far_end=${3:-PIPE}
    command -v socat >/dev/null || {
        echo "wine-com-port.sh: socat is not installed (tools/install-deps.sh installs it)" >&2
        exit 3
    }
    stop "$pidfile"  # one left by a run that was killed
    rm -f "$link"
    socat "PTY,link=$link,raw,echo=0" "$far_end" </dev/null >/dev/null 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 50); do
        [ -L "$link" ] && return 0
        kill -0 "$(cat "$pidfile")" 2>/dev/null || break
        sleep 0.1
    done
    echo "wine-com-port.sh: the loopback plug did not come up at $link" >&2
    stop "$pidfile"
    exit 3
}

stop() {  # PIDFILE
    local pid
    [ -f "$1" ] || return 0
    pid=$(cat "$1")
    # Only a socat we started: a pid file left from before a reboot may name anything now.
    if [ -n "$pid" ] && [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = socat ]; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$1"
}

map() {  # [--bits N] PREFIX NAME PATH ...
    local bits=()
    if [ "${1:-}" = --bits ]; then
        bits=(--bits "$2")
        shift 2
    fi
    [ $# -ge 3 ] && [ $(($# % 2)) -eq 1 ] || usage
    local prefix=$1
    shift
    case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac
    local wine_run=("$here/wine-run.sh" --prefix "$prefix" "${bits[@]}")
    local -a names=() paths=()
    while [ $# -gt 0 ]; do
        names+=("$1") paths+=("$2")
        shift 2
    done

    local i changed=0
    for i in "${!names[@]}"; do
        mapped "$prefix" "${names[$i]}" "${paths[$i]}" && continue
        changed=1
        "${wine_run[@]}" reg add 'HKLM\Software\Wine\Ports' /v "${names[$i]}" /t REG_SZ \
            /d "${paths[$i]}" /f >/dev/null
    done
    [ $changed -eq 1 ] || return 0
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    # The new session links the ports as it starts; any program starts it.
    "${wine_run[@]}" reg query 'HKLM\Software\Wine\Ports' >/dev/null
    for _ in $(seq 50); do
        changed=0
        for i in "${!names[@]}"; do
            mapped "$prefix" "${names[$i]}" "${paths[$i]}" || changed=1
        done
        [ $changed -eq 1 ] || return 0
        sleep 0.1
    done
    echo "wine-com-port.sh: Wine in $prefix did not take the port map" >&2
    exit 3
}

mapped() {  # PREFIX NAME PATH: status 0 when Wine's link for NAME leads to PATH
    local link
    link=$1/dosdevices/$(echo "$2" | tr '[:upper:]' '[:lower:]')
    [ -L "$link" ] && [ "$(readlink "$link")" = "$3" ]
}

case ${1:-} in
    loopback) [ $# -eq 3 ] || usage; loopback "$2" "$3" ;;
    # The talker's shell ends with socat: its next byte finds the pipe closed.
    slow) [ $# -eq 3 ] || usage; loopback "$2" "$3" 'SYSTEM:while printf U; do sleep 0.1; done' ;;
    stop) [ $# -eq 2 ] || usage; stop "$2" ;;
    map) shift; map "$@" ;;
    *) usage ;;
esac
