#!/usr/bin/env bash
# Checks, before a release, what users install: on fresh minimal Debian
# systems (bookworm, debootstrap's minbase variant, each made for the check)
#   (a) the Debian package that `cpack -G DEB` makes installs with apt-get,
#       which brings the shared libraries it depends on, and runs the example;
#   (b) the static programs (DAWNMARK_STATIC) run the example on a system
#       without any of the libraries they are built from: none of the image
#       libraries is installed there, and zlib, which minbase carries for
#       dpkg, is removed.
# In both, Dawnmark must write the very bytes that this machine's build writes
# for the same example, and Dawnmark-inspect must pass the result.
#
#   sudo bash tools/check-install.sh
#
# Needs root (debootstrap, chroot), the network and a few minutes, so it is
# not part of tools/test.sh. Builds in build-deb/ and build-static/, and makes
# the systems under DAWNMARK_CHECK_DIR (default /var/tmp), removed at the end.
# DAWNMARK_CHECK_MIRROR picks the Debian mirror. DAWNMARK_CHECK_BASE names a
# minbase system made earlier that is copied instead of running debootstrap:
# quicker while changing this script, but a release is checked without it.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

if [ "$(id -u)" -ne 0 ]; then
  echo "check-install: run as root (debootstrap and chroot need it)" >&2
  exit 1
fi

bash tools/setup.sh
if ! command -v debootstrap > /dev/null; then
  echo "check-install: installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

mirror=${DAWNMARK_CHECK_MIRROR:-http://deb.debian.org/debian}
work=$(mktemp -d "${DAWNMARK_CHECK_DIR:-/var/tmp}/dawnmark-check.XXXXXX")
cleanup() {
  # Nothing is mounted into the systems, so removing them cannot reach
  # beyond them; --one-file-system guards against a mount made by hand.
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

fail() {
  echo "check-install: FAILED: $*" >&2
  exit 1
}

jobs=$(nproc 2>/dev/null || echo 2)
build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNMARK_TESTS=OFF "$@" \
    > "$work/configure-$dir.log" 2>&1 || { cat "$work/configure-$dir.log"; exit 1; }
  cmake --build "$dir" -j "$jobs"
}

echo "== building the package (build-deb) and the static programs (build-static)"
build build-deb
rm -f build-deb/dawnmark_*.deb
(cd build-deb && cpack -G DEB > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls build-deb/dawnmark_*.deb)
build build-static -DDAWNMARK_STATIC=ON
# The single files as the README has users install them.
cmake --install build-static --prefix "$work/single" --strip > /dev/null
for program in "$work/single/bin/Dawnmark" "$work/single/bin/Dawnmark-inspect"; do
  [[ $(file "$program") == *"statically linked"* ]] || fail "$program is not statically linked"
  if [[ $(readelf -lW "$program") =~ INTERP|DYNAMIC ]]; then
    fail "$program asks for a dynamic loader"
  fi
done

echo "== contents of $deb"
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -c "$deb" > "$work/contents"
awk '{ print "   ", $NF }' "$work/contents"
for path in usr/bin/Dawnmark usr/bin/Dawnmark-inspect usr/bin/Dawnmark-studio \
            usr/share/man/man1/Dawnmark.1 usr/share/man/man1/Dawnmark-inspect.1 usr/share/man/man1/Dawnmark-studio.1 \
            usr/share/doc/dawnmark/copyright usr/share/doc/dawnmark/examples/splash.txt; do
  grep -q -E " \./$path\$" "$work/contents" || fail "the package lacks /$path"
done

# The sample boot loader file stands in for a real one, as in
# tools/run-example.sh; what this machine's build makes of it is the
# expected result.
build-deb/tools/make-sample-zbeos "$work/zbeos"
(cd examples && "$top/build-deb/driver/Dawnmark" -z "$work/zbeos" -o "$work/expected" splash.txt > /dev/null) \
  || fail "the build here does not run the example"

# A fresh minbase system in $work/$1.
new_system() {
  local root=$work/$1
  if [ -n "${DAWNMARK_CHECK_BASE:-}" ]; then
    echo "== copying $DAWNMARK_CHECK_BASE to $root (DAWNMARK_CHECK_BASE)"
    cp -a "$DAWNMARK_CHECK_BASE" "$root"
  else
    echo "== debootstrap --variant=minbase bookworm $root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" > "$work/debootstrap-$1.log" 2>&1 \
      || { tail -20 "$work/debootstrap-$1.log"; fail "debootstrap"; }
  fi
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mkdir -p "$root/check"
  cp "$work/zbeos" "$root/check/zbeos"
}

# Runs a shell script inside the system $1 with a clean environment. apt-get
# complains there that /dev/pts is not mounted: it only cannot keep its
# terminal log.
in_system() {
  chroot "$work/$1" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    HOME=/root LC_ALL=C DEBIAN_FRONTEND=noninteractive /bin/sh -ec "$2"
}

# The example inside system $1, from the example folder $2 there: Dawnmark
# and Dawnmark-inspect must both succeed, and the new file must be the
# expected one.
run_example() {
  in_system "$1" "
    cp -r '$2' /check/example
    cd /check/example
    Dawnmark -z /check/zbeos -o /check/newZbeos splash.txt
    echo \"Dawnmark: status \$?\"
    Dawnmark-inspect --preview /check/preview.png /check/newZbeos
    echo \"Dawnmark-inspect: status \$?\"
  " || fail "the example does not run in $1"
  cmp "$work/expected" "$work/$1/check/newZbeos" || fail "$1 wrote another boot loader file than this machine"
  echo "$1: the new boot loader file is the one this machine writes ($(stat -c %s "$work/expected") bytes)"
}

echo "== (a) the package on a fresh system"
new_system package
cp "$deb" "$work/package/check/"
in_system package "
  apt-get update -qq
  cd /check && apt-get install -y -q --no-install-recommends ./$(basename "$deb")
  dpkg-query -W -f='\${Package} \${Version} \${Status}\n' dawnmark
  test -f /usr/share/man/man1/Dawnmark.1 && test -f /usr/share/man/man1/Dawnmark-inspect.1
" || fail "the package does not install"
run_example package /usr/share/doc/dawnmark/examples

echo "== (b) the static programs on a fresh system without the libraries"
new_system static
in_system static "
  for package in libpng16-16 libjpeg62-turbo libgif7; do
    if dpkg-query -W -f='\${Status}' \$package 2>/dev/null | grep -q 'ok installed'; then
      echo \"\$package is installed\"; exit 1
    fi
  done
"  || fail "minbase carries an image library"
find "$work/static" -xdev -name 'libz.so*' -delete
leftover=$(find "$work/static" -xdev \( -name 'libz.so*' -o -name 'libpng*.so*' -o -name 'libjpeg*.so*' -o -name 'libgif*.so*' \))
[ -z "$leftover" ] || fail "libraries left in the static system: $leftover"
echo "static: no zlib, libpng, libjpeg or giflib in the system"
cp "$work/single/bin/Dawnmark" "$work/single/bin/Dawnmark-inspect" "$work/static/usr/local/bin/"
cp -r examples "$work/static/check/examples"
run_example static /check/examples

echo "check-install: the package and the static programs both run the example"
