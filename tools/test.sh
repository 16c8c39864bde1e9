#!/usr/bin/env bash
# Sets up the machine and passes every check, in three builds:
#   build       the plain build (gcc, optimised as shipped), the benchmarks
#               included so that they cannot rot: every test, then the image
#               decoders under valgrind;
#   build-fuzz  clang with AddressSanitizer and UndefinedBehaviorSanitizer:
#               every test again, then the fuzz targets, built in the same
#               tree, a few seconds each on their seeds;
#   build-tsan  clang with ThreadSanitizer: every command-line test (both
#               programs built there, every option), the unit tests of the
#               parts that run threads (the second thread, the save, the full
#               palette, the image loads), and the studio's server, its
#               browser test included.
# A sanitizer's report in any process, a program that a test runs included,
# fails the run. Each build makes only what it runs, as a unity build; the
# sanitized ones are optimised less (-O1), and the test programs' own
# sources not at all (tests/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

configure() {
  local dir=$1; shift
  mkdir -p "$dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 \
    -DDAWNMARK_TESTS=ON "$@" > "$dir/configure.log" 2>&1 \
    || { cat "$dir/configure.log"; exit 1; }
}

# Runs ctest in a build with the given arguments; a sanitizer writes its
# reports into the build's sanitizer-reports/ (ASAN_OPTIONS and TSAN_OPTIONS
# name it), and any report there fails the run, also one from a program a
# test ran and whose exit status the test did not look at.
run_tests() {
  local dir=$1; shift
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "$@")
  if compgen -G "$dir/sanitizer-reports/*" > /dev/null; then
    cat "$dir"/sanitizer-reports/* >&2
    echo "test: sanitizer reports in $dir/sanitizer-reports" >&2
    exit 1
  fi
}

fresh_reports() {
  rm -rf "$1/sanitizer-reports"
  mkdir -p "$1/sanitizer-reports"
  echo "$PWD/$1/sanitizer-reports/report"
}

echo "== plain build, with the benchmarks"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_BENCH=ON
cmake --build build -j "$jobs"
run_tests build
echo "== image decoders under valgrind"
bash tools/check-decoders.sh build

sanitized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1"
           "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DDAWNMARK_BENCH=OFF)

echo "== AddressSanitizer and UndefinedBehaviorSanitizer (clang, with the fuzz targets)"
CC=clang CXX=clang++ configure build-fuzz "${sanitized[@]}" -DDAWNMARK_FUZZ=ON
cmake --build build-fuzz -j "$jobs"
reports=$(fresh_reports build-fuzz)
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:log_path=$reports \
LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$reports \
  run_tests build-fuzz
echo "== fuzz targets, a few seconds each"
bash fuzz/run-all.sh 5

echo "== ThreadSanitizer: every command-line test, the threads of the second thread, the save, the full palette and the image loads, and the studio"
CC=clang CXX=clang++ configure build-tsan "${sanitized[@]}" -DDAWNMARK_TSAN=ON
cmake --build build-tsan -j "$jobs" --target cli_tests base_tests bootfile_tests imaging_tests \
  studio_tests Dawnmark-studio Dawnmark make-sample-zbeos
reports=$(fresh_reports build-tsan)
# Each test runs in a process of its own, so the interrupted-save tests fork
# from a process without threads, as ThreadSanitizer needs. A report stops
# the process that made it with status 66.
export TSAN_OPTIONS=halt_on_error=1:exitcode=66:log_path=$reports
run_tests build-tsan -L '^(cli|base|bootfile|studio)$'
run_tests build-tsan -L '^imaging$' -R 'FullPalette|ColorHistogram|Render|LoadInOrder|LoadImage'
unset TSAN_OPTIONS
