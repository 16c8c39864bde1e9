#!/usr/bin/env bash
# How close a whole run of Dawnmark comes to the floor that the boot loader
# file sets: zlib deflating the same icon pack at the same level, alone.
# Three scenes of photograph-like pictures (ImageMagick's plasma, which has
# the colours and fine grain of a photograph), each plain and with all three
# long options: (a) one full screen, (b) three full screens of different
# pictures, (c) one full screen cut into 64 small pictures that tile it, as
# 64 images. Also the peak memory of each run against the pixel data of its
# images; then the quick form on a 12-megapixel photograph against the
# route without it, ImageMagick scaling the photo to the screen and Dawnmark
# run on it; and last palette selection and mapping alone on the
# full-screen picture against the plain method.
#
# Run by hand: bash bench/speed.sh [build-dir]. It installs ImageMagick when
# it is missing and writes everything to <build-dir>/speed/.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
out=$build/speed

if ! dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'install ok installed'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "speed: installing imagemagick"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends imagemagick
fi
# Debian's ImageMagick 6, whatever else is called convert on the PATH.
convert=convert
[ -x /usr/bin/convert-im6.q16 ] && convert=/usr/bin/convert-im6.q16

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_BENCH=ON > /dev/null
cmake --build "$build" -j 2 --target Dawnmark make-sample-zbeos whole_run_bench palette_bench > /dev/null
built=$(cd "$build" && pwd)

rm -rf "$out"
mkdir -p "$out"
cd "$out"
"$built/tools/make-sample-zbeos" zbeos

plasma() { $convert -seed "$1" -size "$2" plasma:fractal -depth 8 "$3"; }

mkdir -p one three many
plasma 7 640x480 one/p.png
printf 'screen 640 480 8\nicons at 220 440\nimage "p.png"\n' > one/splash.txt

printf 'screen 640 480 8\nicons at 220 440\n' > three/splash.txt
for i in 1 2 3; do
  plasma $((10 + i)) 640x480 three/p$i.png
  echo "image \"p$i.png\"" >> three/splash.txt
done

printf 'screen 640 480 8\nicons at 220 440\n' > many/splash.txt
plasma 100 640x480 many/whole.png
$convert many/whole.png -crop 80x60 +repage many/p%d.png
rm many/whole.png
for i in $(seq 0 63); do
  echo "image \"p$i.png\" at $((i % 8 * 80)) $((i / 8 * 60))" >> many/splash.txt
done

for scene in one three many; do
  cp -r $scene $scene-options
  echo "--dither --alpha --full-palette" > $scene-options/options.txt
done

echo
"$built/bench/whole_run_bench" "$built/driver/Dawnmark" "$PWD/zbeos" \
  "$PWD/one" "$PWD/three" "$PWD/many" "$PWD/one-options" "$PWD/three-options" "$PWD/many-options" | tee results.txt

# The options against the default run of the same scene.
echo
awk 'NR > 1 { run[$1] = $2 }
     END { for (s in run) if (s !~ /-options$/ && (s "-options") in run)
             printf "%-8s all options / default: %.2f\n", s, run[s "-options"] / run[s] }' results.txt | sort

# The quick form on a photograph from a 12-megapixel camera (plasma again,
# saved as a JPEG of quality 90) against the route a user takes without it:
# ImageMagick covers the screen with the photo, and Dawnmark runs with the
# three options on a description naming the result, the description the
# quick form stands for. Whole processes, taking turns, the median of 5
# each; and the quick form's peak memory, all of it resident.
mkdir -p photo
$convert -seed 12 -size 4000x3000 plasma:fractal -quality 90 photo/photo.jpg
(
  cd photo
  "$built/driver/Dawnmark" -v -z ../zbeos -o /dev/null --picture photo.jpg |
    sed -n '/^The description of this run:$/,/^$/p' | sed '1d;$d;s/^image .*/image "bg.png"/' > bg.splash
  elapsed() { local start end; start=$(date +%s%N); "$@" > /dev/null; end=$(date +%s%N); echo $(((end - start) / 1000)); }
  quick=() by_hand=()
  for _ in 1 2 3 4 5; do
    quick+=("$(elapsed "$built/driver/Dawnmark" -z ../zbeos -o quick.zbeos --picture photo.jpg)")
    by_hand+=($(($(elapsed $convert photo.jpg -resize 640x480^ -gravity center -extent 640x480 bg.png) +
                 $(elapsed "$built/driver/Dawnmark" --full-palette --dither --alpha -z ../zbeos -o by-hand.zbeos bg.splash))))
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
  "$built/bench/peak-resident" peak.txt "$built/driver/Dawnmark" -z ../zbeos -o quick.zbeos --picture photo.jpg > /dev/null
  q=$(median "${quick[@]}") b=$(median "${by_hand[@]}")
  echo
  echo "Quick form on a 4000 x 3000 JPEG, against ImageMagick to 640 x 480 then Dawnmark (median of 5)"
  printf '  quick form %7.1f ms, by hand %7.1f ms: %.2f of the time (at most 0.35)\n' \
    "$(echo "$q / 1000" | bc -l)" "$(echo "$b / 1000" | bc -l)" "$(echo "$q / $b" | bc -l)"
  printf '  quick form peak memory %.1f MB (at most 40)\n' "$(echo "$(cat peak.txt) / 1024" | bc -l)"
)

# Palette selection and mapping alone, against the plain method, on the
# full-screen picture.
echo
"$built/bench/palette_bench" --benchmark_color=false one/p.png | tail -3
