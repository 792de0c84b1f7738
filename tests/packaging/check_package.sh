#!/usr/bin/env bash
# Makes the Debian package from a build tree, unpacks it into a scratch root and checks what a
# desktop and a user get from it: the program runs from there, its dependencies are declared,
# and the desktop entry, AppStream description, manual page and completion are in place and valid.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$(ls "$work"/out/melodex_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no melodex_*.deb was made"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libcdio libdiscid; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/melodex usr/lib/melodex/libmelodex_collation.so \
    usr/share/applications/melodex.desktop usr/share/metainfo/org.melodex.Melodex.metainfo.xml \
    usr/share/man/man1/melodex.1 usr/share/bash-completion/completions/melodex \
    usr/share/icons/hicolor/scalable/apps/melodex.svg usr/share/icons/hicolor/48x48/apps/melodex.png; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done

# The program runs from the unpacked tree, without a window and without touching the real home.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
version=$("$root/usr/bin/melodex" --version) || fail "melodex --version failed"
[[ "$version" == "Melodex "* ]] || fail "unexpected version line: $version"
"$root/usr/bin/melodex" --help | grep -q -- "--data-dir" || fail "melodex --help says nothing of --data-dir"
"$root/usr/bin/melodex" stats >/dev/null 2>&1 || fail "melodex stats failed in the user's data folder"
[ -e "$XDG_DATA_HOME/melodex/sgldata.db" ] || fail "the user's data folder was not used"

bash -n "$root/usr/share/bash-completion/completions/melodex" || fail "the completion does not parse"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/melodex.desktop" ||
        fail "the desktop entry is not valid"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.melodex.Melodex.metainfo.xml" ||
        fail "the AppStream description is not valid"
fi
if command -v man >/dev/null; then
    text=$(MANWIDTH=100 man -l "$root/usr/share/man/man1/melodex.1" 2>&1) || fail "man cannot show melodex.1"
    for word in import export stats report check build pack "EXIT STATUS" XDG_DATA_HOME; do
        grep -q -- "$word" <<<"$text" || fail "the manual page does not mention $word"
    done
fi
echo "package $(basename "$deb") checked"
