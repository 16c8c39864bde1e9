#!/usr/bin/env bash
# How close the boot screen comes to the artwork, for Dawnmark's default run,
# each of its long options and two general-purpose quantizers at 224 colours.
#
# Three scenes: a sky gradient, a photograph-like plasma and flat artwork
# with a half-transparent logo over it. Each result (Dawnmark: the preview
# Dawnmark-inspect draws; the others: their PNG of the artwork) is compared
# with the artwork as the eye should see it (the logo composed over the art,
# which is what the others are given) in PSNR
# (dB, higher is closer), plain and after a Gaussian blur of sigma 1.5 px,
# which is roughly what the eye makes of dithering. The rows under the icon
# strip are left out. Then the time of a whole run with all three options is
# given as a multiple of the default run's. Last, the quick form on
# photographs of several sizes against the photo scaled by ImageMagick (in
# linear light, and in sRGB) and given to Dawnmark with the three options.
# Last, the quick form on detailed photographs against a careful zoom of
# them given to Dawnmark with the same options.
# Between them, the lead of the three options over the better peer on every
# scene and on six photographs from Debian packages.
#
# Run by hand: bash bench/quality.sh [build-dir]. It installs pngquant and
# ImageMagick when they are missing, and writes everything to
# <build-dir>/quality/.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=$(pwd)/bench

build=${1:-build}
out=$build/quality

# --- peers and tools --------------------------------------------------------
peers=(pngquant imagemagick python3-pil python3-numpy)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "quality: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Debian's ImageMagick 6, whatever else is called convert on the PATH.
im() {
  local tool=$1; shift
  if [ -x "/usr/bin/$tool-im6.q16" ]; then "/usr/bin/$tool-im6.q16" "$@"; else "$tool" "$@"; fi
}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j 2 --target Dawnmark Dawnmark-inspect make-sample-zbeos > /dev/null
built=$(cd "$build" && pwd)
dawnmark=$built/driver/Dawnmark
inspect=$built/inspect/Dawnmark-inspect

rm -rf "$out"
mkdir -p "$out"
cd "$out"
"$built/tools/make-sample-zbeos" zbeos

# --- scenes -----------------------------------------------------------------
# The icon strip sits on the last 40 rows; comparisons use the 440 above.
crop=640x440+0+0
mkdir -p sky plasma flat
im convert -size 640x480 gradient:'rgb(20,40,110)-rgb(250,180,120)' -depth 8 sky/art.png
cp sky/art.png sky/truth.png
im convert -seed 7 -size 640x480 plasma:fractal -depth 8 plasma/art.png
cp plasma/art.png plasma/truth.png
im convert -size 640x480 xc:'rgb(236,228,210)' \
  -fill 'rgb(31,78,121)' -draw 'rectangle 0,0 639,89' \
  -fill 'rgb(192,57,43)' -draw 'circle 160,260 160,170' \
  -fill 'rgb(241,196,15)' -draw 'polygon 320,400 420,180 520,400' \
  -fill 'rgb(39,174,96)' -draw 'roundrectangle 30,330 280,420 20,20' \
  -depth 8 flat/art.png
im convert -size 200x120 xc:none \
  -fill 'rgba(255,255,255,0.55)' -draw 'roundrectangle 0,0 199,119 25,25' \
  -fill 'rgb(142,68,173)' -draw 'circle 60,60 60,22' \
  -fill 'rgba(230,126,34,0.8)' -draw 'rectangle 110,30 180,90' \
  -depth 8 flat/logo.png
# The truth lays the logo over the art with the rounding Dawnmark's --alpha
# uses, (a * logo + (255 - a) * art + 127) / 255, so that only the palette and
# the mapping make a difference.
im convert flat/art.png -crop 200x120+400+40 +repage flat/under.png
im convert flat/under.png flat/logo.png -channel RGB \
  -fx 'floor((v.a * 255 * v * 255 + (255 - v.a * 255) * u * 255 + 127) / 255) / 255' \
  +channel -alpha off -depth 8 flat/over.png
im convert flat/art.png flat/over.png -geometry +400+40 -composite -alpha off -depth 8 flat/truth.png
for scene in sky plasma; do
  printf 'screen 640 480 8\nicons at 220 440\nimage "art.png"\n' > $scene/splash.txt
done
printf 'screen 640 480 8\nicons at 220 440\nimage "art.png"\nimage "logo.png" at 400 40\n' > flat/splash.txt

# --- runs ---------------------------------------------------------------------
names=()
declare -A label
add() { names+=("$1"); label[$1]=$2; }
add default   "Dawnmark"
add dither    "Dawnmark --dither"
add alpha     "Dawnmark --alpha"
add full      "Dawnmark --full-palette"
add fulldith  "Dawnmark --full-palette --dither"
add all       "Dawnmark, all three"
add pq        "pngquant 224"
add pqnofs    "pngquant 224 --nofs"
add imdith    "ImageMagick -colors 224, FS"
add imnone    "ImageMagick -colors 224, none"

declare -A options=(
  [default]="" [dither]="--dither" [alpha]="--alpha" [full]="--full-palette"
  [fulldith]="--full-palette --dither" [all]="--full-palette --dither --alpha")

# In a scene's folder: the two peers at 224 colours from truth.png (pq.png,
# imdith.png), and the truth cropped to the rows compared, plain and blurred.
peers_and_truth() {
  pngquant --force --output pq.png 224 truth.png
  im convert truth.png -dither FloydSteinberg -colors 224 imdith.png
  im convert truth.png -crop $crop +repage truth-crop.png
  im convert truth-crop.png -gaussian-blur 0x1.5 truth-blur.png
}

for scene in sky plasma flat; do
  (
    cd $scene
    for n in default dither alpha full fulldith all; do
      # shellcheck disable=SC2086
      "$dawnmark" ${options[$n]} -z ../zbeos -o $n.zbeos splash.txt > /dev/null
      "$inspect" --force --preview $n.png $n.zbeos > /dev/null
    done
    peers_and_truth
    pngquant --force --nofs --output pqnofs.png 224 truth.png
    im convert truth.png -dither None -colors 224 imnone.png
  )
done

psnr() {
  local value
  value=$(im compare -metric PSNR "$1" "$2" null: 2>&1 || true)
  printf '%6.2f' "${value%% *}"
}

printf '\nPSNR against the artwork in dB (plain / after blur), rows 0-439 of 640 x 480\n\n'
printf '| %-34s | %-15s | %-15s | %-15s |\n' "" "sky gradient" "plasma" "flat + logo"
printf '|%s|%s|%s|%s|\n' "------------------------------------" "-----------------" "-----------------" "-----------------"
for n in "${names[@]}"; do
  row=$(printf '| %-34s |' "${label[$n]}")
  for scene in sky plasma flat; do
    im convert $scene/$n.png -alpha off -crop $crop +repage $scene/$n-crop.png
    im convert $scene/$n-crop.png -gaussian-blur 0x1.5 $scene/$n-blur.png
    row+=$(printf ' %s / %s |' "$(psnr $scene/$n-crop.png $scene/truth-crop.png)" \
                                 "$(psnr $scene/$n-blur.png $scene/truth-blur.png)")
  done
  echo "$row"
done

# --- the lead -----------------------------------------------------------------
# Dawnmark with all three options against the better of pngquant 224 and
# ImageMagick -colors 224 (Floyd-Steinberg), after the blur, on the scenes
# above and on photographs that Debian ships: three of scikit-image's test
# pictures (python3-skimage) and three of MATE's nature backgrounds
# (mate-backgrounds), each covering 640 x 480. The packages are fetched with
# apt-get download (not installed) and kept in <build-dir>/quality-photos/.
photos_from=$built/quality-photos
mkdir -p "$photos_from"
if [ ! -d "$photos_from/root" ]; then
  (cd "$photos_from" && apt-get download python3-skimage mate-backgrounds > /dev/null 2>&1 || {
     apt-get update -qq && apt-get download python3-skimage mate-backgrounds > /dev/null; })
  for deb in "$photos_from"/*.deb; do dpkg-deb -x "$deb" "$photos_from/root"; done
fi
skimage=$photos_from/root/usr/lib/python3/dist-packages/skimage/data
mate=$photos_from/root/usr/share/backgrounds/mate/nature
declare -A photo=(
  [astronaut]=$skimage/astronaut.png [coffee]=$skimage/coffee.png [chelsea]=$skimage/chelsea.png
  [dune]=$mate/Dune.jpg [storm]=$mate/Storm.jpg [ladybird]=$mate/LadyBird.jpg)
photos=(astronaut coffee chelsea dune storm ladybird)
for scene in "${photos[@]}"; do
  mkdir -p $scene
  (
    cd $scene
    im convert "${photo[$scene]}" -resize 640x480^ -gravity center -extent 640x480 -alpha off -depth 8 \
      -type TrueColor truth.png
    printf 'screen 640 480 8\nicons at 220 440\nimage "truth.png"\n' > splash.txt
    "$dawnmark" --full-palette --dither --alpha -z ../zbeos -o all.zbeos splash.txt > /dev/null
    "$inspect" --force --preview all.png all.zbeos > /dev/null
    peers_and_truth
  )
done

# A blurred PSNR as a number, "inf" when the two are the same.
blurred_psnr() {
  local value
  im convert "$1/$2.png" -alpha off -crop $crop +repage -gaussian-blur 0x1.5 "$1/$2-blur.png"
  value=$(im compare -metric PSNR "$1/$2-blur.png" "$1/truth-blur.png" null: 2>&1 || true)
  echo "${value%% *}"
}
printf '\nLead of Dawnmark with all three options over the better peer, after the blur (dB)\n\n'
printf '| %-10s | %-8s | %-12s | %-14s | %-8s |\n' scene Dawnmark "pngquant 224" "ImageMagick FS" lead
printf '|%s|%s|%s|%s|%s|\n' "------------" "----------" "--------------" "----------------" "----------"
for scene in sky plasma flat "${photos[@]}"; do
  us=$(blurred_psnr $scene all)
  pq=$(blurred_psnr $scene pq)
  imd=$(blurred_psnr $scene imdith)
  # An exact picture has no PSNR to compare: said as such, not as a number.
  lead=$(awk -v us="$us" -v pq="$pq" -v imd="$imd" 'BEGIN {
    best = (pq == "inf" || imd == "inf") ? "inf" : (pq + 0 > imd + 0 ? pq : imd)
    if (us == "inf" && best == "inf") print "exact vs exact"
    else if (us == "inf") print "exact"
    else if (best == "inf") print "behind exact"
    else printf "%+.2f", us - best }')
  shown() { [ "$1" = inf ] && echo exact || printf '%.2f' "$1"; }
  printf '| %-10s | %8s | %12s | %14s | %-8s |\n' $scene "$(shown "$us")" "$(shown "$pq")" "$(shown "$imd")" "$lead"
done

# --- time ---------------------------------------------------------------------
# The two runs take turns, so that a busy machine weighs on both alike; the
# best of each counts.
time_runs() {
  local bestd=999999999 besta=999999999 start end i
  for i in 1 2 3 4 5 6 7 8 9; do
    start=$(date +%s%N)
    "$dawnmark" -z ../zbeos -o time.zbeos splash.txt > /dev/null
    end=$(date +%s%N)
    [ $((end - start)) -lt $bestd ] && bestd=$((end - start))
    start=$(date +%s%N)
    "$dawnmark" --full-palette --dither --alpha -z ../zbeos -o time.zbeos splash.txt > /dev/null
    end=$(date +%s%N)
    [ $((end - start)) -lt $besta ] && besta=$((end - start))
  done
  echo "$((bestd / 1000)) $((besta / 1000))"
}
printf '\nWhole run, best of 9 (ms): default, all three options, ratio\n\n'
total_default=0
total_all=0
for scene in sky plasma flat; do
  read -r d a < <(cd $scene && time_runs)
  total_default=$((total_default + d))
  total_all=$((total_all + a))
  printf '%-8s %7.1f %7.1f   %.2f\n' $scene "$(echo "$d / 1000" | bc -l)" "$(echo "$a / 1000" | bc -l)" \
    "$(echo "$a / $d" | bc -l)"
done
printf '%-8s %7.1f %7.1f   %.2f\n' all "$(echo "$total_default / 1000" | bc -l)" \
  "$(echo "$total_all / 1000" | bc -l)" "$(echo "$total_all / $total_default" | bc -l)"

# --- the quick form -------------------------------------------------------------
# JPEG photographs whose cover zoom to 640 x 480 comes out in whole pixels, so
# that ImageMagick's crop and the quick form's agree to the pixel. The truth
# is ImageMagick's Lanczos zoom in linear light; each result is compared with
# it over the rows above the sample's icon strip (0-419).
printf '\nQuick form against the photo scaled by ImageMagick, then Dawnmark with the three options:\n'
printf 'PSNR against the photo scaled in linear light, in dB (plain / after blur), rows 0-419\n\n'
printf '| %-10s | %-15s | %-15s | %-15s |\n' "photo" "quick form" "IM linear light" "IM sRGB"
printf '|%s|%s|%s|%s|\n' "------------" "-----------------" "-----------------" "-----------------"
for size in 1600x1200 2400x1600 4000x3000; do
  mkdir -p photo-$size
  (
    cd photo-$size
    im convert -seed 21 -size $size plasma:fractal -quality 90 photo.jpg
    cover=(-resize 640x480^ -gravity center -extent 640x480 -depth 8)
    im convert photo.jpg -colorspace RGB -filter Lanczos "${cover[@]:0:2}" -colorspace sRGB "${cover[@]:2}" linear.png
    im convert photo.jpg -filter Lanczos "${cover[@]}" srgb.png
    "$dawnmark" -v -z ../zbeos -o quick.zbeos --picture photo.jpg |
      sed -n '/^The description of this run:$/,/^$/p' | sed '1d;$d' > quick.splash
    "$inspect" --force --preview quick.png quick.zbeos > /dev/null
    for scaled in linear srgb; do
      sed "s/^image .*/image \"$scaled.png\"/" quick.splash > $scaled.splash
      "$dawnmark" --full-palette --dither --alpha -z ../zbeos -o $scaled.zbeos $scaled.splash > /dev/null
      "$inspect" --force --preview $scaled-preview.png $scaled.zbeos > /dev/null
    done
    row=$(printf '| %-10s |' $size)
    im convert linear.png -crop 640x420+0+0 +repage truth.png
    im convert truth.png -gaussian-blur 0x1.5 truth-blur.png
    for result in quick linear-preview srgb-preview; do
      im convert $result.png -alpha off -crop 640x420+0+0 +repage $result-crop.png
      im convert $result-crop.png -gaussian-blur 0x1.5 $result-blur.png
      row+=$(printf ' %s / %s |' "$(psnr $result-crop.png truth.png)" "$(psnr $result-blur.png truth-blur.png)")
    done
    echo "$row"
  )
done

# --- the quick form against a careful zoom ------------------------------------
# Detailed photographs that Debian ships (foliage, a river in a wood, a
# wooden house, a room, mountains: lomiri-wallpapers-16.04 and
# mate-backgrounds, fetched as above), each covering 640 x 480 through the
# quick form, and zoomed carefully (bench/carefulZoom.py: Lanczos on each
# channel as floats, in linear light, over the exact fractional box) then
# given to Dawnmark with the quick form's three options. Both boot screens
# are compared with the careful zoom after the blur, the icon strip's
# rectangle (200 x 40 at 220, 420) left out; "behind" is how far the quick
# form falls short of the careful zoom through the same options.
lomiri=$photos_from/root/usr/share/backgrounds
if [ ! -f "$lomiri/Dragonfly_by_Bolly.jpg" ]; then
  (cd "$photos_from" && apt-get download lomiri-wallpapers-16.04 > /dev/null 2>&1 || {
     apt-get update -qq && apt-get download lomiri-wallpapers-16.04 > /dev/null; })
  dpkg-deb -x "$photos_from"/lomiri-wallpapers-16.04_*.deb "$photos_from/root"
fi
careful() { /usr/bin/python3 "$bench/carefulZoom.py" "$@"; }
declare -A detailed=(
  [dragonfly]=$lomiri/Dragonfly_by_Bolly.jpg [river]=$lomiri/life_by_Aitzol_Berasategi.jpg
  [house]=$lomiri/friends_by_Aitzol_Berasategi.jpg [room]=$lomiri/Wine_by_Jakkub_Mede.jpg
  [mountains]=$lomiri/picosdeeuropa_by_Aitzol_Berasategi.jpg [garden]=$mate/Garden.jpg [wood]=$mate/Wood.jpg)
printf '\nQuick form against a careful zoom given to Dawnmark with the same options:\n'
printf 'PSNR against the careful zoom after the blur, in dB, the icon strip left out\n\n'
printf '| %-10s | %-11s | %-10s | %-12s | %-6s |\n' photo size "quick form" "careful zoom" behind
printf '|%s|%s|%s|%s|%s|\n' "------------" "-------------" "------------" "--------------" "--------"
for scene in dragonfly river house room mountains garden wood; do
  mkdir -p careful-$scene
  (
    cd careful-$scene
    careful cover "${detailed[$scene]}" careful.png 640 480
    "$dawnmark" -z ../zbeos -o quick.zbeos --picture "${detailed[$scene]}" > /dev/null
    "$inspect" --force --preview quick.png quick.zbeos > /dev/null
    printf 'screen 640 480 8\nicons at 220 420\nimage "careful.png"\n' > careful.splash
    "$dawnmark" --full-palette --dither --alpha -z ../zbeos -o careful.zbeos careful.splash > /dev/null
    "$inspect" --force --preview careful-preview.png careful.zbeos > /dev/null
    quick=$(careful psnr quick.png careful.png 220 420 200 40)
    ours=$(careful psnr careful-preview.png careful.png 220 420 200 40)
    size=$(/usr/bin/python3 -c 'import sys; from PIL import Image; print("%dx%d" % Image.open(sys.argv[1]).size)' \
      "${detailed[$scene]}")
    printf '| %-10s | %-11s | %10s | %12s | %6.2f |\n' $scene "$size" "$quick" "$ours" \
      "$(echo "$ours - $quick" | bc -l)"
  )
done
