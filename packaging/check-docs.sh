#!/bin/sh
# Installs a build into a scratch prefix and checks the manual pages (they render without a
# single warning, and the front end's lists the options its help does) and the AppStream
# metadata (valid, and launching the installed desktop entry).
# Usage: check-docs.sh CMAKE BUILD_DIR
set -eu
check=check-docs
. "$(dirname "$0")/check-common.sh"
cmake=$1
build=$2

prefix=$scratch/prefix
install_build "$cmake" "$build" "$prefix"

pages="songsifter chimewick-choose"
[ -e "$build/chimewick-mp3" ] && pages="$pages chimewick-mp3"
for page in $pages; do
    file=$prefix/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "$file was not installed"
    warnings=$(zcat "$file" | LC_ALL=C.UTF-8 groff -man -ww -z -K utf8 2>&1)
    [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
done
# Every option a program's help names is on its page: PAGE HELP-COMMAND...
check_page_options() {
    page=$1
    shift
    source=$(zcat "$prefix/share/man/man1/$page.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')
    "$@" | grep -o -e '--[a-z0-9-]*[a-z0-9]' | sort -u >"$scratch/options"
    [ -s "$scratch/options" ] || fail "$page's help names no option"
    while read -r option; do
        case "$source" in
            *"$option"*) ;;
            *) fail "$page(1) lacks $option" ;;
        esac
    done <"$scratch/options"
}
if [ -e "$build/chimewick-mp3" ]; then
    check_page_options chimewick-mp3 "$build/chimewick-mp3" --longhelp
fi
check_page_options chimewick-choose "$build/chimewick-choose" --help

metainfo=$prefix/share/metainfo/example.chimewick.Chimewick.metainfo.xml
[ -f "$metainfo" ] || fail "the AppStream metadata was not installed"
appstreamcli validate --no-net "$metainfo" >"$scratch/validate.log" 2>&1 ||
    fail "the AppStream metadata is not valid: $(cat "$scratch/validate.log")"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$prefix/share/applications/$launchable" ] ||
    fail "the metadata launches $launchable, which is not installed"
echo "check-docs: manual pages and metadata are in order"
