#!/usr/bin/env bash
# Builds velanto and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B out/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build out/build -j "$(nproc)" --target velanto
exec out/build/app/velanto
