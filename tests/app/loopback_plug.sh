#!/bin/bash
# tests/app/loopback_plug.sh: a loopback plug behind COM5 in the build tree's Wine prefix, for
# the Port Test dialog's tests (KORVALIN_LOOPBACK_PORT=COM5).
#
#   tests/app/loopback_plug.sh start TOOLS PREFIX BITS DIR
#   tests/app/loopback_plug.sh stop TOOLS DIR
#
# TOOLS is the tools/ folder, DIR where the plug's link and pid file go. The other Wine tests
# share the prefix, so its session is never ended: Wine reads its port map only when a session
# starts, so the map is written for the sessions to come, and the link every open follows is
# made at once.
set -eu
action=$1 tools=$2
case $action in
    start)
        prefix=$3 bits=$4 dir=$5
        mkdir -p "$dir"
        bash "$tools/wine-com-port.sh" loopback "$dir/com5" "$dir/com5.pid"
        "$tools/wine-run.sh" --prefix "$prefix" --bits "$bits" \
            reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$dir/com5" /f >/dev/null
        ln -sfn "$dir/com5" "$prefix/dosdevices/com5"
        ;;
    stop)
        bash "$tools/wine-com-port.sh" stop "$3/com5.pid"
        ;;
    *)
        sed -n '4,5p' "$0" >&2
        exit 2
        ;;
esac
