#!/usr/bin/env bash
# Takes docs/velanto.png: velanto under a virtual display after a full transfer from the
# detector simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh xdotool imagemagick
cmake -S . -B out/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build out/build -j "$(nproc)" --target velanto velanto-detector
mkdir -p docs
source tests/harness/virtual_display.sh
on_virtual_display 1024x800x24 bash -c '
    set -euo pipefail
    export XDG_CONFIG_HOME=$(mktemp -d)
    out/build/tools/velanto-detector --com 1 --fast --records 40 > /dev/null &
    simulator=$!
    out/build/app/velanto &
    velanto=$!
    trap "kill $velanto $simulator 2>/dev/null; rm -rf \"$XDG_CONFIG_HOME\"" EXIT
    window=$(xdotool search --sync --name "Data updating program")
    sleep 1
    xdotool windowfocus --sync "$window" key Tab Tab Return   # Cancel -> port list -> Start
    sleep 3
    import -window "$window" docs/velanto.png
    echo "screenshot: docs/velanto.png"
'
