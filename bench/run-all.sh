#!/usr/bin/env bash
# Builds the benchmarks in a release tree (build-bench) and runs every one of them, then prints
# one table of figures against their goals. Each benchmark prints its own lines as it goes; the
# table is made from their "RESULT <key> <value> <unit> goal <op> <number>" lines.
# Usage: bench/run-all.sh [BUILD_DIR]
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
"$root/scripts/setup-debian.sh" --tests || exit 1
benches=(bench_runner bench_output bench_cmd bench_batch bench_browser bench_memory bench_uz bench_wine_end
    bench_bigjob bench_parallel)

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_WERROR=ON \
        >/dev/null || exit 1
fi
echo "== building ${benches[*]} in $build"
ninja -C "$build" "${benches[@]}" tolvane-cmd tolvane ucc-standin tolvane-ucc | tail -1 || exit 1

results="$(mktemp)"
trap 'rm -f "$results"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
for bench in "${benches[@]}"; do
    echo
    echo "== $bench"
    args=()
    [ "$bench" = bench_memory ] && args=("$root/demo/make-demo-prefix.sh")
    start=$SECONDS
    "$build/bin/$bench" "${args[@]}" | tee -a "$results" | grep -v '^RESULT '
    status=${PIPESTATUS[0]}
    echo "($bench: $((SECONDS - start)) s)"
    if [ "$status" -ne 0 ]; then
        echo "RESULT $bench failed - goal - -" >>"$results"
    fi
done

echo
echo "== $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
grep '^RESULT ' "$results" | awk '
    BEGIN {
        fmt = "%-34s | %12s | %12s | %s\n"
        printf fmt, "figure", "measured", "goal", "met/missed"
        printf fmt, "----------------------------------", "------------", "------------", "----------"
    }
    {
        key = $2; value = $3; unit = $4; op = $6; goal = $7
        if (value == "failed") { printf fmt, key, "failed", "", "missed"; missed++; next }
        met = (op == "<=" && value + 0 <= goal + 0) || (op == "<" && value + 0 < goal + 0) ||
              (op == ">=" && value + 0 >= goal + 0) || (op == ">" && value + 0 > goal + 0)
        if (!met) missed++
        printf fmt, key, sprintf("%.2f %s", value, unit), op " " goal " " unit, met ? "met" : "MISSED"
    }
    END { exit missed > 0 }'
