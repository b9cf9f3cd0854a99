#!/usr/bin/env bash
# Runs one fuzzer for a bounded time: run_fuzzer.sh FUZZER SEEDS WORK SECONDS [RUNS]
# The committed seeds are read only; what the fuzzer finds new goes to
# WORK/corpus, and inputs that fail to WORK/artifacts. With RUNS, a fuzzer
# that has tried fewer inputs than that when its time is up goes on until it
# has: on a busy machine the time alone can fall well short.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4 runs=${5:-0}
mkdir -p "$work/corpus" "$work/artifacts"
fuzz() {
    "$fuzzer" "$@" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" 2>&1 | tee "$work/last.log"
}
fuzz -max_total_time="$seconds"
done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last.log")
while [ "${done_runs:-0}" -lt "$runs" ]; do
    fuzz -runs=$((runs - done_runs))
    done_runs=$((done_runs + $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last.log")))
done
echo "run_fuzzer: $(basename "$fuzzer") tried ${done_runs:-0} inputs"
