#!/bin/sh
# "Make Ringtone" for GNOME Files (Nautilus): hands every selected MP3 or WAVE song to
# Chimewick, one after another; each ringtone is made beside its song.
#
# Installed as share/chimewick/nautilus-scripts/Make Ringtone. Link it into
# ~/.local/share/nautilus/scripts/ to get the entry under Scripts in the right-click menu.

# CHIMEWICK_SONGSIFTER overrides; otherwise the songsifter installed with this script
# (through a link to it), then the one on PATH.
find_songsifter() {
    if [ -n "${CHIMEWICK_SONGSIFTER:-}" ]; then
        printf '%s\n' "$CHIMEWICK_SONGSIFTER"
        return
    fi
    here=$(dirname "$(readlink -f "$0")")
    if [ -x "$here/../../../bin/songsifter" ]; then
        printf '%s\n' "$here/../../../bin/songsifter"
        return
    fi
    printf '%s\n' songsifter
}

# A song is a regular file named like one, or one whose content is MP3 or WAVE audio.
is_song() {
    [ -f "$1" ] || return 1
    case "$1" in
        *.[mM][pP]3 | *.[wW][aA][vV]) return 0 ;;
    esac
    command -v file >/dev/null 2>&1 || return 1
    case "$(file --brief --mime-type -- "$1" 2>/dev/null)" in
        audio/mpeg | audio/x-mp3 | audio/mp3 | audio/x-mpeg) return 0 ;;
        audio/wav | audio/x-wav | audio/vnd.wave | audio/wave) return 0 ;;
    esac
    return 1
}

tell() {
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v zenity >/dev/null 2>&1; then
        zenity --info --no-markup --title=Chimewick --text="$1" >/dev/null 2>&1
    elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v notify-send >/dev/null 2>&1; then
        notify-send --icon=chimewick Chimewick "$1"
    else
        printf 'Chimewick: %s\n' "$1" >&2
    fi
}

songsifter=$(find_songsifter)
skipped=""

# Local selections come as full paths, one a line; otherwise the arguments name the
# files relative to the folder shown.
handle() {
    if is_song "$1"; then
        "$songsifter" "$1" || true
    else
        skipped="$skipped
$(basename -- "$1")"
    fi
}

if [ -n "${NAUTILUS_SCRIPT_SELECTED_FILE_PATHS:-}" ]; then
    newline='
'
    old_ifs=$IFS
    IFS=$newline
    set -f
    for path in $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS; do
        IFS=$old_ifs
        handle "$path"
    done
    set +f
    IFS=$old_ifs
else
    for path in "$@"; do
        handle "$path"
    done
fi

if [ -n "$skipped" ]; then
    tell "Chimewick makes ringtones from MP3 and WAVE songs only. Skipped:$skipped"
fi
