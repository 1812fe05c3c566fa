#!/usr/bin/env bash
# Builds velanto and runs every test: the plain build, the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the libFuzzer targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

jobs=$(nproc)
passed=0
failed=0

# Configures and builds one tree, runs its tests, and adds their results to the totals.
run_suite() {
    local name=$1 dir=$2; shift 2
    local ctest_args=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do ctest_args+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    echo "== $name"
    cmake -S . -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j "$jobs"
    local log="$dir.ctest.log" status=0
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${ctest_args[@]}" 2>&1 | tee "$log" || status=1
    local summary
    summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    local total=${summary##* } bad
    bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<< "$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ -n "$summary" ] || status=1
    return $status
}

out=${VELANTO_OUT:-out}  # set VELANTO_OUT to keep several trees apart
mkdir -p "$out"
status=0
run_suite "plain build" "$out"/build -LE fuzz -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_BENCH=OFF || status=1
run_suite "AddressSanitizer + UndefinedBehaviorSanitizer" "$out"/build-asan -LE fuzz -- \
    -DCMAKE_BUILD_TYPE=Debug -DVELANTO_SANITIZE=ON -DVELANTO_BENCH=OFF || status=1
run_suite "libFuzzer" "$out"/build-fuzz -L fuzz -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_FUZZ=ON \
    -DVELANTO_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ || status=1

echo "all suites: $passed passed, $failed failed"
exit $status
