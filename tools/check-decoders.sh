#!/usr/bin/env bash
# Decodes every generated image file (the image fuzz seeds: each stored form
# of each format the tests check, and the damaged files) twice: once plainly
# and once under valgrind's memcheck. A read of uninitialised memory, an
# invalid access or a leak fails the check, and so does any difference
# between the two runs.
#
#   bash tools/check-decoders.sh [BUILD_DIR]      # a plain build, default build
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cmake --build "$build" --target make-fuzz-corpus image-digest > /dev/null
corpus="$build/decoder-check"
rm -rf "$corpus"
"$build/fuzz/make-fuzz-corpus" "$corpus"
files=("$corpus"/image/*)

plain=$("$build/fuzz/image-digest" "${files[@]}")
# Small translation blocks: the AV1 decoder's long vector routines overflow
# valgrind's translation storage otherwise.
checked=$(valgrind --quiet --error-exitcode=99 --vex-guest-max-insns=25 --track-origins=yes --leak-check=full \
  --errors-for-leak-kinds=definite,indirect "$build/fuzz/image-digest" "${files[@]}")
if [ "$plain" != "$checked" ]; then
  echo "check-decoders: the two runs decoded differently" >&2
  diff <(echo "$plain") <(echo "$checked") >&2 || true
  exit 1
fi
echo "check-decoders: ${#files[@]} image files decoded under valgrind, no memory errors, same result twice"
