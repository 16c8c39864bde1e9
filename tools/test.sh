#!/usr/bin/env bash
# Sets up the machine, builds the project and runs every test twice: once in a
# plain build and once under AddressSanitizer and UndefinedBehaviorSanitizer;
# the tests of the parts that run threads (the save, the full palette, the
# image loads) once more under ThreadSanitizer.
# Then the image decoders are checked under valgrind, and the fuzz targets
# are built with clang and run briefly on their seeds, so that none of them
# can rot unnoticed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > "$dir/configure.log" 2>&1 \
    || { cat "$dir/configure.log"; exit 1; }
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

mkdir -p build build-sanitize
echo "== plain build"
run_suite build -DDAWNMARK_BENCH=ON
echo "== image decoders under valgrind"
bash tools/check-decoders.sh build
echo "== sanitized build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-sanitize -DDAWNMARK_SANITIZE=ON
unset ASAN_OPTIONS UBSAN_OPTIONS
echo "== the threads of the save, the full palette and the image loads under ThreadSanitizer"
mkdir -p build-tsan
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_TSAN=ON > build-tsan/configure.log 2>&1 \
  || { cat build-tsan/configure.log; exit 1; }
cmake --build build-tsan -j "$jobs" --target bootfile_tests imaging_tests
# The interrupted-save tests fork a child that saves; ThreadSanitizer lets a
# child start threads only when its parent had none, and the others leave the
# kept second thread running: those tests run in a process of their own.
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/bootfile_tests --gtest_brief=1 --gtest_filter='-*Interrupted*'
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/bootfile_tests --gtest_brief=1 --gtest_filter='*Interrupted*'
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/imaging_tests --gtest_brief=1 --gtest_filter='*FullPalette*:*ColorHistogram*:*Render*:*LoadInOrder*:*BesideTask*'

echo "== fuzz targets, a few seconds each"
bash fuzz/run-all.sh 5
