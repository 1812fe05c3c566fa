#!/usr/bin/env bash
# Builds velanto and shows what it decodes from a generated full detector memory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake -S . -B out/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build --target velanto-dump
dump=$(mktemp --suffix=.bin)
trap 'rm -f "$dump"' EXIT
out/build/tools/velanto-dump generate --records 2000 -o "$dump"
out/build/tools/velanto-dump decode "$dump" | column -t -s $'\t'
