#!/usr/bin/env bash
# Builds an optimised tree and runs every benchmark; extra arguments go to each benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B out/build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELANTO_BENCH=ON > /dev/null
cmake --build out/build-release -j "$(nproc)"
source tests/harness/virtual_display.sh
for bench in out/build-release/bench/*_bench; do
    [[ $bench == */records_server_bench ]] && continue  # with the server its figures script starts
    on_virtual_display 1280x1024x24 "$bench" "$@"
done
bench/transfer_figures.sh out/build-release
bench/reception_figures.sh out/build-release
bench/records_server_figures.sh out/build-release
