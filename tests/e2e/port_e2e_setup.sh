# port_e2e_setup.sh: what the port tests under Wine share, sourced by port_check_e2e.sh and
# modem_lines_e2e.sh: the demo registry in a prefix of the test's own, the stand-in that gives
# pseudo-terminals modem lines and records what reached the far end, a held file for a busy
# port, and the runs of korvalin.exe with their checks.
#
# The sourcing script sets wine_run_sh (tools/wine-run.sh), prefix and exe, then calls
# port_e2e_begin DEMO_REG PRELOAD_SOURCE. Its checks call fail; port_e2e_end prints the logs
# and exits 1 when any failed.
# shellcheck shell=bash

# Sets tools, bits, loader, work (the prefix's folder for ports, logs and records), builds the
# stand-in for the program's side into $preload and loads the demo registry.
port_e2e_begin() {  # DEMO_REG PRELOAD_SOURCE
    tools=$(cd "$(dirname "$wine_run_sh")" && pwd)
    . "$tools/wine-sides.sh"
    bits=$(pe_bits "$exe")
    loader=$(wine_loader "$bits")
    work=$prefix.ports
    preload=$work/modem_lines$bits.so
    failures=0 holder=
    mkdir -p "$work"
    rm -f "$work"/*.out "$work"/*.log "$work"/*.record
    trap port_e2e_cleanup EXIT

    local cc_bits=()
    [ "$bits" = 32 ] && cc_bits=(-m32)
    cc "${cc_bits[@]}" -shared -fPIC -o "$preload" "$2" -ldl || {
        echo "port_e2e: cannot build the stand-in for $bits-bit Wine (-m32 needs gcc-multilib," \
            "which tools/install-deps.sh installs)"
        exit 1
    }
    local key
    for key in 'HKLM\Enum\BIOS' 'HKLM\Enum\Root' 'HKLM\Enum\ISAPNP' 'HKLM\Enum\MF' \
        'HKLM\Enum\PCI' 'HKLM\Enum\PCMCIA' \
        'HKLM\System\CurrentControlSet\Services\Class'; do
        wine_run reg delete "$key" /f >/dev/null 2>&1 || true
    done
    wine_run reg import "$1" >/dev/null 2>&1
}

wine_run() { "$wine_run_sh" --prefix "$prefix" --bits "$bits" "$@"; }
windows_path() { echo "Z:$1" | tr / '\\'; }

port_e2e_cleanup() {
    [ -z "$holder" ] || kill -- -"$holder" 2>/dev/null || true
    local pidfile
    for pidfile in "$work"/*.pid; do
        [ -e "$pidfile" ] && bash "$tools/wine-com-port.sh" stop "$pidfile"
    done
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}

# Another program holds FILE (a port mapped to it reads busy), in a session of its own so that
# ending it ends the Windows program too; returns once Wine has the file open (its server keeps
# the descriptor the sharing rules guard). release_file ends it and waits until the file is
# closed.
hold_file() {  # HOLD_FILE_EXE FILE
    held_file=$2
    setsid "$wine_run_sh" --prefix "$prefix" "$1" "$(windows_path "$2")" \
        </dev/null >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 100); do
        find /proc/[0-9]*/fd -lname "$2" 2>/dev/null | grep -q . && break
        sleep 0.1
    done
}
release_file() {
    [ -z "$holder" ] || kill -- -"$holder" 2>/dev/null || true
    holder=
    for _ in $(seq 50); do
        find /proc/[0-9]*/fd -lname "$held_file" 2>/dev/null | grep -q . || break
        sleep 0.1
    done
}

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# The last line each exit code of /test comes with.
result_line() {  # CODE
    case $1 in
        0) echo 'Result: done' ;;
        1) echo 'Result: bad command line' ;;
        2) echo 'Result: refused' ;;
        5) echo 'Result: a check failed' ;;
        6) echo 'Result: a port is busy' ;;
        7) echo 'Result: a port is not present' ;;
        8) echo 'Result: not fully tested' ;;
        *) echo 'Result: ' ;;
    esac
}

# Runs korvalin.exe with ARGS; its output goes to $work/NAME.log, its exit code must be CODE and
# its last line the one that code comes with. With WATCH set (the resolved paths of
# pseudo-terminals) the stand-in is preloaded into the program alone, records what reached
# their far ends in $work/NAME.record, and models their modem lines as WIRING says when it is
# set; the prefix's server is started first without it, so that no host tool or server of the
# other side ever tries to load a library of the wrong size. SECONDS_LIMIT, when set, is how
# long the run may take.
run() {  # NAME CODE ARGS...
    local name=$1 code=$2 got=0 started
    shift 2
    local -a stand_in=()
    if [ -n "${WATCH:-}" ]; then
        stand_in=(LD_PRELOAD="$preload" KORVALIN_WIRED_TTY="$WATCH"
            KORVALIN_LINES_RECORD="$work/$name.record")
        [ -z "${WIRING+set}" ] || stand_in+=(KORVALIN_WIRING="$WIRING")
        printf 'sent 0\ndriven none\n' >"$work/$name.record"  # the stand-in writes on a change
    fi
    # The session (and, without a display, the virtual one that lives as long as it) is the one
    # wine-run.sh made; it is kept for two minutes past each run.
    WINEPREFIX=$prefix WINEARCH=win$bits wineserver -p120 >/dev/null 2>&1 || true  # runs already
    local display=${DISPLAY:-}
    [ -n "$display" ] || display=:$(cut -d ' ' -f 1 "$prefix.xvfb")
    started=$(date +%s)
    timeout 60 env WINEPREFIX="$prefix" WINEARCH="win$bits" WINELOADER="$loader" \
        WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="$display" "${stand_in[@]}" \
        "$loader" "$exe" "$@" </dev/null >"$work/$name.out" 2>&1 || got=$?
    tr -d '\r' <"$work/$name.out" >"$work/$name.log"  # lines end in CR LF, as on Windows
    [ "$got" = "$code" ] || fail "$name: korvalin.exe $* exited $got, not $code"
    local last
    last=$(tail -n 1 "$work/$name.log")
    [ "${last#"$(result_line "$code")"}" != "$last" ] ||
        fail "$name: the log ends with '$last', not '$(result_line "$code")'"
    [ -z "${SECONDS_LIMIT:-}" ] || [ $(($(date +%s) - started)) -le "$SECONDS_LIMIT" ] ||
        fail "$name: took $(($(date +%s) - started)) s, more than $SECONDS_LIMIT s"
}

has() {  # NAME LINE: the log has LINE exactly
    grep -Fxq -- "$2" "$work/$1.log" || fail "$1: no line '$2'"
}

# The far end got SENT bytes (a number, or "some") and DRIVEN names the outputs the test changed
# ("DTR RTS", or "none"; "-" where no WIRING models the lines, so no change can be seen).
recorded() {  # NAME SENT DRIVEN
    local sent driven
    sent=$(sed -n 's/^sent //p' "$work/$1.record")
    driven=$(sed -n 's/^driven //p' "$work/$1.record")
    if [ "$2" = some ]; then
        [ "${sent:-0}" -gt 0 ] || fail "$1: the far end got no byte"
    else
        [ "$sent" = "$2" ] || fail "$1: the far end got ${sent:-?} bytes, not $2"
    fi
    [ "$3" = - ] || [ "$driven" = "$3" ] || fail "$1: the test drove '$driven', not '$3'"
}

port_e2e_end() {  # SCRIPT_NAME
    if [ "$failures" -gt 0 ]; then
        local log
        for log in "$work"/*.log; do
            echo "--- $(basename "$log")"
            cat "$log"
        done
        exit 1
    fi
    echo "$1: every check passed"
}
