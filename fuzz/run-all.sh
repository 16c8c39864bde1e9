#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given time, one
# after the other in a single process each (the machine is shared).
#
#   [FUZZ_SEED=N] bash fuzz/run-all.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Seeds are generated into fuzz/corpus/<target>/ (not kept in git); what the
# fuzzer adds goes to build-fuzz/corpus/<target>/ and crash inputs to
# build-fuzz/artifacts/<target>/. Each run's last lines go to
# build-fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
# The same mutations each run, so that a short run in the tests finds what it
# found before; FUZZ_SEED=0 takes a new seed each time, for longer hunts.
seed=${FUZZ_SEED:-1}
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(description zbeos iconpack image)

build=build-fuzz
# Configured as tools/test.sh configures it (which also builds and runs the
# tests there, under the same sanitizers), so that either reuses what the
# other built: -O1 with line tables, as libFuzzer advises.
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" \
    -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 \
    -DDAWNMARK_FUZZ=ON -DDAWNMARK_TESTS=OFF > /dev/null
fi
cmake --build "$build" -j 2 --target make-fuzz-corpus \
  $(printf '%s_fuzzer ' "${targets[@]}")

"$build/fuzz/make-fuzz-corpus" fuzz/corpus

# A leak inside a library we call (listed there with its reason) is not a
# finding of ours; every other leak is.
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt

status=0
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$work" "$artifacts" "$build/logs"
  echo "== $target: ${seconds}s"
  # Pixel buffers up to the decoders' 1 GiB limit are legitimate.
  "$build/fuzz/${target}_fuzzer" "$work" "fuzz/corpus/$target" \
    -seed="$seed" -max_total_time="$seconds" -timeout=25 -close_fd_mask=3 \
    -rss_limit_mb=4096 -malloc_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" > "$build/logs/$target.log" 2>&1 || status=1
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)|ERROR|SUMMARY' \
    "$build/logs/$target.log" || true
done
exit $status
