#!/bin/sh
# Installs a build into a scratch prefix (with blanks, a quote and a dollar in its name)
# and checks what the desktop needs: both programs, a valid desktop entry and icon, and
# that the desktop entry, the Dolphin service menu, the Thunar action and the GNOME Files
# script start the installed program by its absolute path, songs (and only songs) one
# after another.
# Usage: check-install.sh CMAKE BUILD_DIR
set -eu
check=check-install
. "$(dirname "$0")/check-common.sh"
cmake=$1
build=$2

prefix="$scratch/pre fix's \$HOME"
install_build "$cmake" "$build" "$prefix"

[ -x "$prefix/bin/songsifter" ] || fail "bin/songsifter was not installed"
[ -x "$prefix/bin/chimewick-choose" ] || fail "bin/chimewick-choose was not installed"
if [ -e "$build/chimewick-mp3" ]; then
    [ -x "$prefix/bin/chimewick-mp3" ] || fail "bin/chimewick-mp3 was not installed"
fi

# The installed program works on its own: without a display, and with a display that
# cannot be opened, which makes it load its window-system library from the prefix.
write_empty_wave "$scratch/empty.wav"
for display in "" ":97"; do
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" \
          "$prefix/bin/songsifter" "$scratch/empty.wav" 2>/dev/null || true)
    case "$out" in
        *"Could not make ringtone."*) ;;
        *) fail "the installed songsifter did not run (DISPLAY='$display'): $out" ;;
    esac
done

# The same for chimewick-choose with one song alone, which asks for its window.
for display in "" ":97"; do
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" \
          "$prefix/bin/chimewick-choose" "$scratch/empty.wav" 2>/dev/null || true)
    case "$out" in
        *"Could not make ringtone."*) ;;
        *) fail "the installed chimewick-choose did not run (DISPLAY='$display'): $out" ;;
    esac
done

# Console mode starts at once because it loads no part of the window system.
loaded=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_DEBUG=files \
    "$prefix/bin/songsifter" "$scratch/empty.wav" 2>&1 >/dev/null | grep -o 'libQt6[A-Za-z]*' |
    sort -u || true)
[ -z "$loaded" ] || fail "console mode loaded $loaded"
loaded=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_DEBUG=files \
    "$prefix/bin/chimewick-choose" "$scratch/empty.wav" 2>&1 >/dev/null |
    grep -o 'libQt6[A-Za-z]*' | sort -u || true)
[ -z "$loaded" ] || fail "chimewick-choose without a display loaded $loaded"

share=$prefix/share
entry=$share/applications/chimewick.desktop
icon=$share/icons/hicolor/scalable/apps/chimewick.svg
menu=$share/kio/servicemenus/chimewick-make-ringtone.desktop
script="$share/chimewick/nautilus-scripts/Make Ringtone"
choose_script="$share/chimewick/nautilus-scripts/Make Ringtone (choose part)…"
thunar=$share/chimewick/thunar-make-ringtone.xml
thunar_choose=$share/chimewick/thunar-make-ringtone-choose.xml
for file in "$entry" "$icon" "$menu" "$script" "$choose_script" "$thunar" "$thunar_choose"; do
    [ -f "$file" ] || fail "$file was not installed"
done
[ -x "$menu" ] || fail "the service menu outside /usr is not executable"
[ -x "$script" ] || fail "the GNOME Files script is not executable"
[ -x "$choose_script" ] || fail "the GNOME Files script to choose the part is not executable"

desktop-file-validate "$entry" || fail "the desktop entry is not valid"
# The desktop-entry standard grants MimeType and Actions to applications only, so it flags
# KDE's service type for them; anything else the validator reports is a real fault.
report=$(desktop-file-validate "$menu" 2>&1 || true)
unexpected=$(printf '%s\n' "$report" |
    grep -v -e 'key "MimeType" is present in group "Desktop Entry", but the type is "Service"' \
            -e 'key "Actions" is present in group "Desktop Entry", but the type is "Service"' |
    grep . || true)
[ -z "$unexpected" ] || fail "the service menu is not valid: $unexpected"
grep -q '^Icon=chimewick$' "$entry" || fail "the desktop entry does not name the icon"
for type in audio/mpeg audio/x-wav; do
    grep -q "^MimeType=.*$type;" "$menu" || fail "the service menu does not take $type"
done

# From here the installed programs are stand-ins that record each run (chimewick-choose's
# marked as such), taking a moment so that runs started together would overlap in the
# record.
calls=$scratch/calls
for program in songsifter chimewick-choose; do
    mark=
    [ "$program" = chimewick-choose ] && mark="choose "
    cat >"$prefix/bin/$program" <<STUB
#!/bin/sh
echo "begin $mark\$*" >>"$calls"
sleep 0.2
echo "end $mark\$*" >>"$calls"
exit 1
STUB
done
songs=$scratch/songs
mkdir "$songs" "$songs/folder.mp3"
: >"$songs/Ünïcode Song.mp3"
: >"$songs/LOUD.WAV"
: >"$songs/notes.txt"
# A WAVE header without a name that says so: only its content shows it is a song.
printf 'RIFF\044\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\104\254\000\000' >"$songs/take1"
printf '\210\130\001\000\002\000\020\000data\000\000\000\000' >>"$songs/take1"

# The record of runs that one after another made each of the given songs.
one_after_another() {
    for song; do
        printf 'begin %s\nend %s\n' "$song" "$song"
    done
}

# The same for chimewick-choose's windows, one song each.
one_window_after_another() {
    for song; do
        printf 'begin choose %s\nend choose %s\n' "$song" "$song"
    done
}

# Runs a command line the way a file manager does, on the given files: %F stands for all
# of them in one run, %f for one run each, started together (as Dolphin does). Quoting is
# the POSIX shell's, which the desktop-entry quoting rules and GLib's parser (Thunar) share.
# PATH has no songsifter on it, as for a user who has not logged in again since installing.
launch() {
    command_line=$1
    shift
    : >"$calls"
    case "$command_line" in
        *%F*) run_words "${command_line%%%F*}" "$@" ;;
        *%f*)
            for file; do
                run_words "${command_line%%%f*}" "$file" &
            done
            wait
            ;;
        *) fail "no file in the command line: $command_line" ;;
    esac
}

# run_words WORDS FILE...: WORDS is shell-quoted text, the files are appended to it.
run_words() {
    words=$1
    shift
    eval "set -- $words \"\$@\""
    env -u DISPLAY -u WAYLAND_DISPLAY PATH=/usr/bin:/bin "$@" 2>/dev/null || true
}

# The Exec value of a desktop file's group, with the key's string escapes undone.
exec_of() {
    sed -n "/^\[$2\]/,/^\[/s/^Exec=//p" "$1" | sed 's/\\\\/\\/g'
}

launch "$(exec_of "$entry" 'Desktop Entry')" "$songs/LOUD.WAV"
[ "$(cat "$calls")" = "$(one_after_another "$songs/LOUD.WAV")" ] ||
    fail "the desktop entry did not start the installed songsifter: $(cat "$calls")"
launch "$(exec_of "$entry" 'Desktop Action choose')" "$songs/LOUD.WAV"
[ "$(cat "$calls")" = "$(one_window_after_another "$songs/LOUD.WAV")" ] ||
    fail "the desktop entry's action did not start the installed chimewick-choose: $(cat "$calls")"
tryexec=$(sed -n 's/^TryExec=//p' "$entry" | sed 's/\\\\/\\/g')
[ "$tryexec" = "$prefix/bin/songsifter" ] || fail "TryExec names $tryexec"

launch "$(exec_of "$menu" 'Desktop Action makeRingtone')" "$songs/Ünïcode Song.mp3" \
    "$songs/LOUD.WAV"
[ "$(cat "$calls")" = "$(one_after_another "$songs/Ünïcode Song.mp3" "$songs/LOUD.WAV")" ] ||
    fail "the service menu did not make the songs one after another: $(cat "$calls")"
launch "$(exec_of "$menu" 'Desktop Action chooseRingtonePart')" "$songs/Ünïcode Song.mp3" \
    "$songs/notes.txt" "$songs/LOUD.WAV"
[ "$(cat "$calls")" = "$(one_window_after_another "$songs/Ünïcode Song.mp3" \
    "$songs/LOUD.WAV")" ] ||
    fail "the service menu's choose action did not open the songs in turn: $(cat "$calls")"

# The command of a Thunar snippet, with the XML escapes undone.
command_of() {
    sed -n 's:.*<command>\(.*\)</command>.*:\1:p' "$1" |
        sed -e 's/&lt;/</g' -e 's/&gt;/>/g' -e "s/&apos;/'/g" -e 's/&quot;/"/g' -e 's/&amp;/\&/g'
}
launch "$(command_of "$thunar")" "$songs/LOUD.WAV" "$songs/Ünïcode Song.mp3"
[ "$(cat "$calls")" = "$(one_after_another "$songs/LOUD.WAV" "$songs/Ünïcode Song.mp3")" ] ||
    fail "the Thunar action did not make the songs one after another: $(cat "$calls")"
launch "$(command_of "$thunar_choose")" "$songs/LOUD.WAV" "$songs/Ünïcode Song.mp3"
[ "$(cat "$calls")" = "$(one_window_after_another "$songs/LOUD.WAV" \
    "$songs/Ünïcode Song.mp3")" ] ||
    fail "the Thunar choose action did not open the songs in turn: $(cat "$calls")"
for snippet in "$thunar" "$thunar_choose"; do
    grep -q '<action>' "$snippet" && [ "$(grep -c '<action>' "$snippet")" -eq 1 ] ||
        fail "$snippet must hold the opening tag once, outside its comment"
done

# GNOME Files: local selections come in a variable, one path a line; only songs are taken.
: >"$calls"
selection=$(printf '%s\n' "$songs/Ünïcode Song.mp3" "$songs/notes.txt" "$songs/LOUD.WAV" \
    "$songs/folder.mp3" "$songs/take1")
env -u DISPLAY -u WAYLAND_DISPLAY PATH=/usr/bin:/bin \
    NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$selection" "$script" 2>/dev/null
[ "$(cat "$calls")" = "$(one_after_another "$songs/Ünïcode Song.mp3" "$songs/LOUD.WAV" \
    "$songs/take1")" ] || fail "the GNOME Files script started songsifter with: $(cat "$calls")"

# Without that variable (remote folders, a run by hand) the arguments name the files,
# relative to the folder shown.
: >"$calls"
(cd "$songs" && env -u DISPLAY -u WAYLAND_DISPLAY "$script" "notes.txt" "Ünïcode Song.mp3" \
    2>/dev/null)
[ "$(cat "$calls")" = "$(one_after_another "Ünïcode Song.mp3")" ] ||
    fail "the script started songsifter with: $(cat "$calls")"

# Linked under the choosing name, the same script opens each song's window in turn; a
# name that begins with a dash still reaches the window as a song, not as an option.
: >"$songs/-intro.wav"
: >"$calls"
env -u DISPLAY -u WAYLAND_DISPLAY PATH=/usr/bin:/bin \
    NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$selection" "$choose_script" 2>/dev/null
[ "$(cat "$calls")" = "$(one_window_after_another "$songs/Ünïcode Song.mp3" \
    "$songs/LOUD.WAV" "$songs/take1")" ] ||
    fail "the GNOME Files choose script started chimewick-choose with: $(cat "$calls")"
: >"$calls"
(cd "$songs" && env -u DISPLAY -u WAYLAND_DISPLAY "$choose_script" "-intro.wav" "notes.txt" \
    2>/dev/null)
[ "$(cat "$calls")" = "$(one_window_after_another "./-intro.wav")" ] ||
    fail "the choose script started chimewick-choose with: $(cat "$calls")"

echo "check-install: all installed files are in place"
