#!/usr/bin/env bash
# Builds velanto and runs every test: the plain build, the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, the libFuzzer targets, and the
# threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

source tests/harness/virtual_display.sh
jobs=$(nproc)
# The dialog tests run on a virtual display; the desktop libraries keep some memory for the
# life of the process, which the leak checker is told about.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export NO_AT_BRIDGE=1  # GTK's accessibility bridge keeps strings of its start-up for good
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp"
passed=0
failed=0
status=0

# Runs the tests of a tree on the display of the caller: first those that keep the processors busy, $jobs
# at once; then the end-to-end tests, which mostly wait on the detector's line and on velanto's timers,
# $end_to_end_jobs at once (all when unset), each on a display of its own. The timing of neither kind
# suffers from the other. Arguments: folder, ctest arguments.
run_tests() {
    local dir=$1 status=0 waiting
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" -E '^end_to_end_' "$@" || status=1
    waiting=$(ctest --test-dir "$dir" -N -R '^end_to_end_' "$@" | sed -n 's/^Total Tests: //p')
    if [ "${waiting:-0}" -gt 0 ]; then
        ctest --test-dir "$dir" --output-on-failure -j "${end_to_end_jobs:-$waiting}" -R '^end_to_end_' "$@" ||
            status=1
    fi
    return $status
}

# Configures one tree, builds the target given (all: everything), runs its tests, and adds their
# results to the totals. Arguments: name, folder, target, ctest arguments, --, cmake arguments.
run_suite() {
    local name=$1 dir=$2 target=$3; shift 3
    local ctest_args=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do ctest_args+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    echo "== $name"
    # Called under `||`, where set -e does not act: every step's failure is returned by hand, so that a
    # failed build never lets the tests of an older tree run.
    # Unity sources: each tree parses the toolkit's and the test framework's headers a few times instead of
    # once for every file.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_UNITY_BUILD=ON "$@" > "$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j "$jobs" --target "$target" || { echo "$name: the build failed"; failed=$((failed + 1)); return 1; }
    local log="$dir.ctest.log" status=0
    on_virtual_display 1280x1024x24 run_tests "$dir" "${ctest_args[@]}" 2>&1 | tee "$log" || status=1
    local summary total=0 bad=0 summaries=0
    while read -r summary; do  # one for each run of ctest
        total=$((total + ${summary##* }))
        bad=$((bad + $(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<< "$summary")))
        summaries=$((summaries + 1))
    done < <(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ "$summaries" -gt 0 ] || status=1
    return $status
}

# The sources keep the layout of .clang-format; a file that strays fails the run.
echo "== formatting"
if git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
    passed=$((passed + 1))
else
    echo "formatting: the files above differ from .clang-format (clang-format -i FILE mends them)"
    failed=$((failed + 1))
    status=1
fi

out=${VELANTO_OUT:-out}  # set VELANTO_OUT to keep several trees apart
mkdir -p "$out"
run_suite "plain build" "$out"/build all -LE fuzz -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_BENCH=OFF \
    -DVELANTO_WERROR=ON || status=1
# Under the memory checker a velanto needs most of a processor to keep pace with the detector's line: five
# at once on two processors starve the simulated detectors into pauses that no real line makes.
end_to_end_jobs=3 run_suite "AddressSanitizer + UndefinedBehaviorSanitizer" "$out"/build-asan all -LE fuzz -- \
    -DCMAKE_BUILD_TYPE=Debug -DVELANTO_SANITIZE=ON -DVELANTO_BENCH=OFF -DVELANTO_WERROR=ON || status=1
run_suite "libFuzzer" "$out"/build-fuzz velanto_fuzzers -L fuzz -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_FUZZ=ON \
    -DVELANTO_BENCH=OFF -DVELANTO_WERROR=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ || status=1
run_suite "ThreadSanitizer" "$out"/build-tsan velanto_thread_tests -L threads -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANTO_TSAN=ON \
    -DVELANTO_BENCH=OFF -DVELANTO_WERROR=ON || status=1

echo "all suites: $passed passed, $failed failed"
exit $status
