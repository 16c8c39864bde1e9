#!/usr/bin/env bash
# Sets up the machine, builds the project and runs every test twice: once in a
# plain build and once under AddressSanitizer and UndefinedBehaviorSanitizer;
# under ThreadSanitizer, every command-line test (both programs, every
# option) and the unit tests of the parts that run threads (the second
# thread, the save, the full palette, the image loads). The sanitized builds
# are optimised less (-O1): their runs need no more.
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
lighter=("-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g")
echo "== sanitized build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-sanitize -DDAWNMARK_SANITIZE=ON "${lighter[@]}"
unset ASAN_OPTIONS UBSAN_OPTIONS
echo "== every command-line test, and the threads of the save, the full palette and the image loads, under ThreadSanitizer"
mkdir -p build-tsan
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_TSAN=ON "${lighter[@]}" \
  > build-tsan/configure.log 2>&1 || { cat build-tsan/configure.log; exit 1; }
cmake --build build-tsan -j "$jobs" --target Dawnmark Dawnmark-inspect cli_tests base_tests bootfile_tests imaging_tests
# A report stops the process that made it with status 66: a program that a
# command-line test runs then fails that test. The interrupted-save tests fork
# a child that saves; ThreadSanitizer lets a child start threads only when its
# parent has none left, so they run in a process of their own.
export TSAN_OPTIONS=halt_on_error=1:exitcode=66
build-tsan/tests/cli_tests --gtest_brief=1
build-tsan/tests/base_tests --gtest_brief=1
build-tsan/tests/bootfile_tests --gtest_brief=1 --gtest_filter='-*Interrupted*'
build-tsan/tests/bootfile_tests --gtest_brief=1 --gtest_filter='*Interrupted*'
build-tsan/tests/imaging_tests --gtest_brief=1 --gtest_filter='*FullPalette*:*ColorHistogram*:*Render*:*LoadInOrder*'
unset TSAN_OPTIONS

echo "== fuzz targets, a few seconds each"
bash fuzz/run-all.sh 5
