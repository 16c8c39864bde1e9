#!/usr/bin/env bash
# Sets up the machine, builds Dawnmark and runs it on the bundled example:
# a synthetic boot loader file stands in for a real one, the new boot
# loader is written to build/example/newZbeos, checked with Dawnmark-inspect
# and rendered as a picture in build/example/preview.png; the same splash
# made with --full-palette --dither --alpha goes to
# build/example/newZbeos-options and build/example/preview-options.png, for
# a before-and-after pair.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
# The configuration of the plain build of tools/test.sh, which goes on from
# here; only the three programs the example runs are built.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 > /dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target Dawnmark Dawnmark-inspect Dawnmark-studio make-sample-zbeos

out=build/example
mkdir -p "$out"
build/tools/make-sample-zbeos "$out/zbeos"

# Image paths in the description are relative to the examples folder.
(cd examples && ../build/driver/Dawnmark -z "../$out/zbeos" -o "../$out/newZbeos" splash.txt)
echo "New boot loader file: $out/newZbeos"

# Check the new file and show the boot screen it describes, icons unlit.
build/inspect/Dawnmark-inspect --force --preview "$out/preview.png" "$out/newZbeos"
echo "Preview of the new boot screen: $out/preview.png"

# The same splash with every long option: a full palette, error diffusion
# and transparency composed over what lies beneath.
(cd examples && ../build/driver/Dawnmark --full-palette --dither --alpha -z "../$out/zbeos" \
   -o "../$out/newZbeos-options" splash.txt > /dev/null)
build/inspect/Dawnmark-inspect --force --preview "$out/preview-options.png" "$out/newZbeos-options" > /dev/null
echo "With --full-palette --dither --alpha: $out/newZbeos-options, preview $out/preview-options.png"
