#!/usr/bin/env bash
# Runs one fuzzer for a bounded time: run_fuzzer.sh FUZZER SEEDS WORK SECONDS
# The committed seeds are read only; what the fuzzer finds new goes to
# WORK/corpus, and inputs that fail to WORK/artifacts.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$seeds"
