#!/bin/sh
# Installs into a new user's ~/.local as the README says, rebuilds the desktop database as
# the README (and a package's triggers) do, and checks that Chimewick never becomes the
# application for songs: double-clicking a song must play it, not make a ringtone. A
# player that claims the audio types stands by, so an answer naming nobody proves nothing.
# Usage: check-default-handler.sh CMAKE BUILD_DIR
set -eu
check=check-default-handler
. "$(dirname "$0")/check-common.sh"
cmake=$1
build=$2

home=$scratch/home
system=$scratch/system
export HOME="$home"
export XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_DATA_DIRS="$system/share" XDG_CONFIG_DIRS="$system/xdg"
# No desktop session: xdg-mime answers from the freedesktop.org files alone.
unset DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION \
    GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" "$XDG_DATA_DIRS/applications"
install_build "$cmake" "$build" "$home/.local"
update-desktop-database "$XDG_DATA_HOME/applications"

types="audio/mpeg audio/x-mp3 audio/mp3 audio/wav audio/x-wav audio/vnd.wave"
defaults() {
    for type in $types; do
        printf '%s=%s\n' "$type" "$(xdg-mime query default "$type" 2>/dev/null || true)"
    done
}
expect_defaults() {  # expect_defaults DESKTOP_FILE (empty: none)
    actual=$(defaults)
    expected=$(for type in $types; do printf '%s=%s\n' "$type" "$1"; done)
    [ "$actual" = "$expected" ] || fail "default applications (wanted '$1'):
$actual"
}

expect_defaults ""
if grep -qs chimewick "$XDG_DATA_HOME/applications/mimeinfo.cache"; then
    fail "the desktop database offers Chimewick for: $(cat "$XDG_DATA_HOME/applications/mimeinfo.cache")"
fi

cat >"$XDG_DATA_DIRS/applications/player.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Player
Exec=true %U
MimeType=$(echo "$types" | tr ' ' ';');
ENTRY
update-desktop-database "$XDG_DATA_DIRS/applications"
expect_defaults player.desktop

echo "check-default-handler: songs stay with their player"
