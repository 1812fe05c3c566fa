#!/usr/bin/env bash
# Builds velanto and the detector simulator, maps COM1 to the simulator and starts velanto:
# press Start to watch a full transfer (17 seconds at the detector's 9600 baud). Arguments
# go to the simulator, e.g. --fast, --records 20, --seed 7.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B out/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build out/build -j "$(nproc)" --target velanto velanto-detector

# A private device map, so the demo never touches the user's own COM1 mapping.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
coproc SIMULATOR { exec out/build/tools/velanto-detector --com 1 "$@"; }
trap 'kill "$SIMULATOR_PID" 2>/dev/null; wait "$SIMULATOR_PID" 2>/dev/null; rm -rf "$XDG_CONFIG_HOME"' EXIT
read -r line <&"${SIMULATOR[0]}"
echo "demo: the simulated detector is on $line, mapped to COM1"
out/build/app/velanto
