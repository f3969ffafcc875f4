#!/bin/sh
# Installs a build into a scratch prefix and checks what the desktop needs: both programs,
# a valid desktop entry and icon, the Dolphin service menu, the Thunar action, and that the
# GNOME Files script hands songs (and only songs) to songsifter.
# Usage: check-install.sh CMAKE BUILD_DIR
set -eu
cmake=$1
build=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
fail() {
    echo "check-install: $*" >&2
    exit 1
}

prefix=$scratch/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/songsifter" ] || fail "bin/songsifter was not installed"
if [ -e "$build/chimewick-mp3" ]; then
    [ -x "$prefix/bin/chimewick-mp3" ] || fail "bin/chimewick-mp3 was not installed"
fi

# The installed program works on its own: without a display, and with a display that
# cannot be opened, which makes it load its window-system library from the prefix.
printf 'RIFF\044\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\100\037\000\000\100\037\000\000\001\000\010\000data\000\000\000\000' \
    >"$scratch/empty.wav"
for display in "" ":97"; do
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" \
          "$prefix/bin/songsifter" "$scratch/empty.wav" 2>/dev/null || true)
    case "$out" in
        *"Could not make ringtone."*) ;;
        *) fail "the installed songsifter did not run (DISPLAY='$display'): $out" ;;
    esac
done

share=$prefix/share
entry=$share/applications/chimewick.desktop
icon=$share/icons/hicolor/scalable/apps/chimewick.svg
menu=$share/kio/servicemenus/chimewick-make-ringtone.desktop
script="$share/chimewick/nautilus-scripts/Make Ringtone"
thunar=$share/chimewick/thunar-make-ringtone.xml
for file in "$entry" "$icon" "$menu" "$script" "$thunar"; do
    [ -f "$file" ] || fail "$file was not installed"
done
[ -x "$menu" ] || fail "the service menu is not executable"
[ -x "$script" ] || fail "the GNOME Files script is not executable"

desktop-file-validate "$entry" || fail "the desktop entry is not valid"
# The desktop-entry standard grants MimeType and Actions to applications only, so it flags
# KDE's service type for them; anything else the validator reports is a real fault.
report=$(desktop-file-validate "$menu" 2>&1 || true)
unexpected=$(printf '%s\n' "$report" |
    grep -v -e 'key "MimeType" is present in group "Desktop Entry", but the type is "Service"' \
            -e 'key "Actions" is present in group "Desktop Entry", but the type is "Service"' |
    grep . || true)
[ -z "$unexpected" ] || fail "the service menu is not valid: $unexpected"

grep -qx 'Exec=songsifter %f' "$entry" || fail "the desktop entry does not start songsifter"
grep -qx 'Exec=songsifter %f' "$menu" || fail "the service menu does not start songsifter"
grep -q '^Icon=chimewick$' "$entry" || fail "the desktop entry does not name the icon"
for type in audio/mpeg audio/x-wav; do
    grep -q "^MimeType=.*$type;" "$entry" || fail "the desktop entry does not take $type"
    grep -q "^MimeType=.*$type;" "$menu" || fail "the service menu does not take $type"
done
grep -q '<command>.*songsifter.*%F</command>' "$thunar" || fail "the Thunar action lacks songsifter"

# The GNOME Files script, with a stand-in songsifter that records its arguments.
songs=$scratch/songs
mkdir "$songs" "$songs/folder.mp3"
calls=$scratch/calls
cat >"$scratch/songsifter" <<STUB
#!/bin/sh
printf '%s\n' "\$*" >>"$calls"
exit 1
STUB
chmod +x "$scratch/songsifter"
: >"$songs/Ünïcode Song.mp3"
: >"$songs/LOUD.WAV"
: >"$songs/notes.txt"
# A WAVE header without a name that says so: only its content shows it is a song.
printf 'RIFF\044\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\104\254\000\000' >"$songs/take1"
printf '\210\130\001\000\002\000\020\000data\000\000\000\000' >>"$songs/take1"

run_script() {
    env -u DISPLAY -u WAYLAND_DISPLAY CHIMEWICK_SONGSIFTER="$scratch/songsifter" "$@" 2>/dev/null
}
selection=$(printf '%s\n' "$songs/Ünïcode Song.mp3" "$songs/notes.txt" "$songs/LOUD.WAV" \
    "$songs/folder.mp3" "$songs/take1")
run_script NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$selection" "$script"
expected=$(printf '%s\n' "$songs/Ünïcode Song.mp3" "$songs/LOUD.WAV" "$songs/take1")
[ "$(cat "$calls")" = "$expected" ] || fail "the script started songsifter with: $(cat "$calls")"

# Without that variable (remote folders, a run by hand) the arguments name the files,
# relative to the folder shown.
: >"$calls"
(cd "$songs" && run_script "$script" "notes.txt" "Ünïcode Song.mp3")
[ "$(cat "$calls")" = "Ünïcode Song.mp3" ] || fail "the script started songsifter with: $(cat "$calls")"

echo "check-install: all installed files are in place"
