#!/bin/sh
# Builds the Debian package from a build folder, checks it with lintian, unpacks it into a
# scratch root and runs the unpacked programs there: chimewick-mp3 encodes a generated
# song, songsifter makes its ringtone (console mode, with and without its window-system
# library loaded), and chimewick-choose makes one of a chosen part.
# Usage: check-package.sh CPACK BUILD_DIR
set -eu
check=check-package
. "$(dirname "$0")/check-common.sh"
cpack=$1
build=$2

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
set -- "$scratch/out"/chimewick_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "no single package: $*"
deb=$1
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "chimewick_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "the package is named $(basename "$deb")"

# The library dependencies are computed, not typed: the encoder and Qt must be among them.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libmp3lame0 libqt6widgets6 libqt6svg6 libc6; do
    case "$depends" in
        *"$library "* | *"$library," | *"$library") ;;
        *) fail "the package does not depend on $library: $depends" ;;
    esac
done

# Kept: a package made outside a Debian source tree has no source package to trace its
# binaries' build flags, so lintian cannot see the hardening it reports on as info only.
lintian --fail-on error --no-tag-display-limit "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$scratch/lintian.log")"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
grep -qx 'Exec=/usr/bin/songsifter %f' "$root/usr/share/applications/chimewick.desktop" ||
    fail "the packaged desktop entry does not start /usr/bin/songsifter"
grep -qx 'Exec=/usr/bin/chimewick-choose %f' "$root/usr/share/applications/chimewick.desktop" ||
    fail "the packaged desktop entry's action does not start /usr/bin/chimewick-choose"

songs=$scratch/songs
mkdir "$songs"
"$build/demotune" "$songs/song.wav" 40 >/dev/null 2>&1 || fail "no song was generated"
"$root/usr/bin/chimewick-mp3" --silent "$songs/song.wav" "$songs/song.mp3" ||
    fail "the unpacked chimewick-mp3 could not encode"
rm "$songs/song.wav"
for display in "" ":97"; do
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" \
        "$root/usr/bin/songsifter" "$songs/song.mp3" 2>/dev/null || true)
    [ "$out" = "Information: The ringtone was successfully created!" ] ||
        fail "the unpacked songsifter (DISPLAY='$display') said: $out"
    [ "$(ls "$songs")" = "$(printf 'song.mp3\nsong_Chimewick_Ringtone.mp3')" ] ||
        fail "the song's folder holds: $(ls "$songs")"
done
out=$("$root/usr/bin/chimewick-choose" --start 0:05 --length 5 --fade-in 1 "$songs/song.mp3" 2>&1) ||
    fail "the unpacked chimewick-choose failed: $out"
[ "$out" = "Information: The ringtone was successfully created!" ] ||
    fail "the unpacked chimewick-choose said: $out"

echo "check-package: $(basename "$deb") builds, passes lintian and runs"
