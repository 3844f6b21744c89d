#!/bin/bash
# run-demo.sh: builds korvalin.exe and runs it under Wine over the demo registry.
#
#   tools/run-demo.sh
#
# With a DISPLAY the dialog opens there and the script returns when it is closed. Without
# one it runs in a virtual X display: the script waits for the dialog, saves a screenshot
# to build/demo-shot.png, prints its path and closes the dialog again (Cancel: no change).
# Each run starts from tests/fixtures/demo.reg again, in a Wine prefix of its own. The demo's
# COM5 is a loopback plug (socat, for as long as the demo runs), so a port test on it passes
# its data checks; its signal lines cannot be read, as a pseudo-terminal has none. Every other
# port reads not present: tools/wine-run.sh claims the fixtures' COM numbers for nothing, so that
# none reaches the machine's own serial ports.
#
# It shows the 32-bit program, the one that ships, where this machine can start 32-bit
# programs, and the x86_64 build of the same sources under 64-bit Wine where it cannot. The
# 32-bit prefix reports Windows 95 (4.00.950), as wine-run.sh makes every prefix of that side.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
caption='Marrowlink M1/M2 & Varnak TessalineBoard Adapters'
shot=$root/build/demo-shot.png

if [ "${1:-}" != --in-xvfb ]; then
    bash tools/install-deps.sh
fi
. tools/wine-sides.sh
if can_run_32bit; then
    build=build/win toolchain=mingw-i686.cmake prefix=$root/build/demo-prefix
    [ "${1:-}" = --in-xvfb ] ||
        echo "run-demo.sh: the 32-bit korvalin.exe (i686) under 32-bit Wine as Windows 95: this machine starts 32-bit programs"
else
    build=build/win64 toolchain=mingw-x86_64.cmake prefix=$root/build/demo-prefix64
    [ "${1:-}" = --in-xvfb ] ||
        echo "run-demo.sh: the x86_64 build of korvalin.exe under 64-bit Wine: $(no_32bit_reason)"
fi

if [ "${1:-}" != --in-xvfb ]; then
    cmake -S . -B $build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >/dev/null
    if ! ninja -C $build -t query korvalin >/dev/null 2>&1; then
        echo "run-demo.sh: korvalin.exe not built yet (the build has no korvalin target)" >&2
        exit 1
    fi
    cmake --build $build --target korvalin
fi
exe=$(find $build -name korvalin.exe -not -path '*/wineprefix/*' | head -n 1)
if [ -z "$exe" ]; then
    echo "run-demo.sh: korvalin.exe not built yet" >&2
    exit 1
fi
exe=$root/$exe
bits=$(pe_bits "$exe")
wine_run() { "$root/tools/wine-run.sh" --prefix "$prefix" --keep 30 --bits "$bits" "$@"; }

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --in-xvfb
fi

# The demo owns these keys in its prefix: clear what a previous run may have changed.
for key in 'HKLM\Enum\BIOS' 'HKLM\Enum\Root' 'HKLM\Enum\ISAPNP' 'HKLM\Enum\MF' \
    'HKLM\Enum\PCI' 'HKLM\Enum\PCMCIA' \
    'HKLM\System\CurrentControlSet\Services\Class'; do
    wine_run reg delete "$key" /f >/dev/null 2>&1 || true
done
wine_run reg import "$root/tests/fixtures/demo.reg"
plug=$prefix.com5
bash tools/wine-com-port.sh loopback "$plug" "$plug.pid"
trap 'bash "$root/tools/wine-com-port.sh" stop "$plug.pid"' EXIT
KORVALIN_WINESERVER_KEEP=30 bash tools/wine-com-port.sh map "$prefix" COM5 "$plug"
# The virtual display has no window manager: let Wine draw the caption there, and not wait for
# one (Wine otherwise waits two seconds, in vain, for each window that closes, the Port Test's
# and the About box too). On a real display both are left to the window manager.
x11='HKCU\Software\Wine\X11 Driver'
for value in Decorated Managed; do
    if [ "${1:-}" = --in-xvfb ]; then
        wine_run reg add "$x11" /v $value /t REG_SZ /d N /f >/dev/null
    else
        wine_run reg delete "$x11" /v $value /f >/dev/null 2>&1 || true
    fi
done

if [ "${1:-}" != --in-xvfb ]; then
    echo "run-demo.sh: starting korvalin.exe on $DISPLAY"
    wine_run "$exe"
    exit
fi

wine_run "$exe" &
program=$!
window=
for _ in $(seq 300); do
    window=$(xdotool search --name "^$caption\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    kill -0 $program 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "run-demo.sh: the dialog did not appear" >&2
    WINEPREFIX=$prefix wineserver -k
    exit 1
fi
sleep 1  # let the list paint
import -window root "$shot"
echo "$shot"

xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 50); do
    kill -0 $program 2>/dev/null || break
    sleep 0.1
done
if kill -0 $program 2>/dev/null; then
    echo "run-demo.sh: the dialog did not close on Escape; ending it" >&2
    WINEPREFIX=$prefix wineserver -k
fi
wait $program || true
WINEPREFIX=$prefix wineserver -k
