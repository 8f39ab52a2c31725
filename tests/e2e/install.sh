#!/usr/bin/env bash
# The installed program as a desktop and a packager see it: cmake --install into a staging folder, then the
# desktop entry, the metainfo and the manual page are checked by their own validators, and --help/--version answer.
# Usage: install.sh BUILD_DIR
set -euo pipefail
build=$(readlink -f "$1")
for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
share="$stage/usr/share"
desktop-file-validate "$share/applications/org.quendlewick.Parley.desktop"
appstreamcli validate --no-net --explain "$share/metainfo/org.quendlewick.Parley.metainfo.xml"
for size in 16 24 32 48 64 128 256; do
    [[ -f $share/icons/hicolor/${size}x${size}/apps/org.quendlewick.Parley.png ]] || { echo "FAIL: no ${size}px icon"; exit 1; }
done
[[ -f $share/icons/hicolor/scalable/apps/org.quendlewick.Parley.svg ]] || { echo "FAIL: no scalable icon"; exit 1; }
command=quendlewick-parley # Debian's own package "parley" has /usr/bin/parley, /usr/share/parley, ...
[[ -f $share/$command/default.wav ]] || { echo "FAIL: no default.wav"; exit 1; }
MANWIDTH=80 man -l "$share/man/man1/$command.1.gz" 2>&1 | grep -q "chat with the desktops" || { echo "FAIL: man page"; exit 1; }
for language in de ru; do
    page="$share/man/$language/man1/$command.1.gz"
    [[ $(MANWIDTH=80 man -l "$page" 2>&1 | grep -c "quendlewick-parley") -ge 2 ]] || { echo "FAIL: man page ($language)"; exit 1; }
    grep -q "^GenericName\[$language\]=" "$share/applications/org.quendlewick.Parley.desktop" ||
        { echo "FAIL: no $language name in the menu entry"; exit 1; }
    grep -q "<summary xml:lang=\"$language\">" "$share/metainfo/org.quendlewick.Parley.metainfo.xml" ||
        { echo "FAIL: no $language summary in the metainfo"; exit 1; }
done
grep -q "^TryExec=$command$" "$share/applications/org.quendlewick.Parley.desktop" || { echo "FAIL: TryExec"; exit 1; }
[[ ! -e $stage/usr/bin/parley && ! -e $share/parley ]] || { echo "FAIL: a path of Debian's parley is taken"; exit 1; }
version=$("$stage/usr/bin/$command" --version)
[[ $version =~ ^Parley\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "FAIL: --version said '$version'"; exit 1; }
grep -q "release version=\"${version#Parley }\"" "$share/metainfo/org.quendlewick.Parley.metainfo.xml" ||
    { echo "FAIL: the metainfo's version differs from --version"; exit 1; }
help=$("$stage/usr/bin/$command" --help)
[[ $(wc -l <<<"$help") == 1 && $help == "Usage: $command "* ]] || { echo "FAIL: --help said '$help'"; exit 1; }
grep -q "^Name=Quendlewick Parley$" "$share/applications/org.quendlewick.Parley.desktop" ||
    { echo "FAIL: the menu entry is not told apart from Debian's parley"; exit 1; }
! readelf -S "$stage/usr/bin/$command" | grep -q "\.comment" || { echo "FAIL: the program has a .comment section"; exit 1; }
said=$(env -i "$stage/usr/bin/$command" 2>&1) && { echo "FAIL: started without a display"; exit 1; }
[[ $said == "Parley needs a desktop session: "* && $(wc -l <<<"$said") == 1 ]] ||
    { echo "FAIL: without a display it said '$said'"; exit 1; }
echo "PASS: installed files validate; --help, --version and a start without a display answer with one line each"
