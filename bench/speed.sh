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
# The quick form is also timed against its own floor, libjpeg-turbo's djpeg
# decoding the photo at the same reduced scale plus gzip deflating the pack it
# writes; and its peak memory is taken on very large pictures, against
# djpeg's own for a progressive JPEG (which the library holds whole).
#
# Run by hand: bash bench/speed.sh [build-dir]. It installs ImageMagick and
# libjpeg-turbo's tools when they are missing and writes everything to <build-dir>/speed/.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
out=$build/speed

for package in imagemagick libjpeg-turbo-progs; do
  if ! dpkg-query -W -f='${Status}' $package 2>/dev/null | grep -q 'install ok installed'; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    echo "speed: installing $package"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $package
  fi
done
# Debian's ImageMagick 6, whatever else is called convert on the PATH.
convert=convert
[ -x /usr/bin/convert-im6.q16 ] && convert=/usr/bin/convert-im6.q16

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_BENCH=ON > /dev/null
cmake --build "$build" -j 2 --target Dawnmark Dawnmark-inspect make-sample-zbeos whole_run_bench palette_bench \
  big-picture > /dev/null
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

# The quick form against its floor: djpeg at the scale the run decodes at
# (from its -v trace) and gzip at the splash's level (6: the quick form
# dithers) on the pack it wrote, all whole processes, taking turns, eleven
# rounds: the medians, and the best rounds, which tell what a machine with
# both cores free gives (a run on two threads loses more than the floor's
# single ones when the host takes a core for a while).
# The eighths at which the quick form decodes picture $1 of width $2, from a
# folder beside the boot loader file, as its -v trace tells.
scale() {
  "$built/driver/Dawnmark" -v -z ../zbeos -o /dev/null --picture "$1" |
    sed -n 's/^\.\.\. Geometry: \([0-9]*\)x.*/\1/p' | awk -v w="$2" '{ printf "%d", $1 * 8 / w + 0.5 }'
}
(
  cd photo
  eighths=$(scale photo.jpg 4000)
  read -r offset size < <("$built/inspect/Dawnmark-inspect" quick.zbeos |
    awk '/splash, compressed/ { print $5, $7 }')
  tail -c +$((offset + 1)) quick.zbeos | head -c "$size" | gzip -dc > pack.bin
  elapsed() { local start end; start=$(date +%s%N); "$@" > /dev/null; end=$(date +%s%N); echo $(((end - start) / 1000)); }
  median() { printf '%s\n' "$@" | sort -n | sed -n 6p; }
  best() { printf '%s\n' "$@" | sort -n | sed -n 1p; }
  quick=() decode=() deflate=()
  for _ in $(seq 11); do
    quick+=("$(elapsed "$built/driver/Dawnmark" -z ../zbeos -o quick.zbeos --picture photo.jpg)")
    decode+=("$(elapsed djpeg -scale "$eighths/8" -outfile /dev/null photo.jpg)")
    deflate+=("$(elapsed gzip -6 -c pack.bin)")
  done
  echo
  echo "Quick form on a 4000 x 3000 JPEG against its floor, djpeg -scale $eighths/8 and gzip -6 on the pack (11 rounds)"
  for figure in median best; do
    q=$($figure "${quick[@]}") d=$($figure "${decode[@]}") z=$($figure "${deflate[@]}")
    printf '  %-6s quick form %6.1f ms, djpeg %5.1f ms + gzip %5.1f ms: %.2f times the floor (at most 1.3)\n' \
      $figure "$(echo "$q / 1000" | bc -l)" "$(echo "$d / 1000" | bc -l)" "$(echo "$z / 1000" | bc -l)" \
      "$(echo "$q / ($d + $z)" | bc -l)"
  done
)

# Peak memory of the quick form on very large pictures, which it decodes a
# row at a time and zooms as it decodes; a progressive JPEG is held whole by
# the library itself, against which djpeg's own peak at the same scale is
# the measure.
mkdir -p large
(
  cd large
  "$built/bench/big-picture" 12000 9000 ppm | cjpeg -quality 90 > baseline.jpg
  "$built/bench/big-picture" 6028 3391 ppm | cjpeg -quality 90 -progressive > progressive.jpg
  "$built/bench/big-picture" 12000 9000 png > eight.png
  "$built/bench/big-picture" 12000 9000 png16 > sixteen.png
  megabytes() { echo "$(cat "$1") / 1024" | bc -l; }
  echo
  echo "Quick form peak memory on large pictures (resident, everything counted)"
  for picture in baseline.jpg eight.png sixteen.png progressive.jpg; do
    "$built/bench/peak-resident" peak.txt "$built/driver/Dawnmark" -z ../zbeos -o /dev/null --picture $picture > /dev/null
    printf '  %-16s %6.1f MB' $picture "$(megabytes peak.txt)"
    if [ $picture = progressive.jpg ]; then
      eighths=$(scale $picture 6028)
      "$built/bench/peak-resident" djpeg.txt /usr/bin/djpeg -scale "$eighths/8" -outfile /dev/null $picture
      printf ', djpeg -scale %s/8 %.1f MB: %.2f times (at most 1.2)\n' "$eighths" "$(megabytes djpeg.txt)" \
        "$(echo "$(cat peak.txt) / $(cat djpeg.txt)" | bc -l)"
    else
      printf ' (at most 40)\n'
    fi
  done
  rm -f ./*.jpg ./*.png
)

# Palette selection and mapping alone, against the plain method, on the
# full-screen picture.
echo
"$built/bench/palette_bench" --benchmark_color=false one/p.png | tail -3
