# Sourced by the packaging checks: a scratch folder removed on exit, fail, and the
# installation of a build into a prefix. The caller sets check before sourcing.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM

fail() {
    echo "$check: $*" >&2
    exit 1
}

# install_build CMAKE BUILD_DIR PREFIX
install_build() {
    "$1" --install "$2" --prefix "$3" >"$scratch/install.log" 2>&1 ||
        fail "cmake --install failed: $(cat "$scratch/install.log")"
}

# A silent WAVE song (mono, 8 kHz, 8-bit) with no audio at all.
write_empty_wave() {
    printf 'RIFF\044\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\100\037\000\000\100\037\000\000\001\000\010\000data\000\000\000\000' \
        >"$1"
}
