#!/bin/sh
# Puts the unpacked .tar.gz into the desktop menu: the programs into
# ~/.local/bin, the menu entry, icons, metadata and read-me into ~/.local/share,
# and the catalogs of the companions' words into ~/.local/share/locale: the
# programs look for them at ../share/locale from their own folder, wherever
# XDG_DATA_HOME points.
# The menu entry and its action name the launcher by its full path: a desktop
# shows no entry whose program it cannot find on its own PATH, and many
# sessions have no ~/.local/bin there. Run it again after unpacking a newer
# release.
set -eu
from=$(cd "$(dirname "$0")" && pwd -P)
bin=$HOME/.local/bin
share=${XDG_DATA_HOME:-$HOME/.local/share}
entry=applications/org.vornhaskel.vornhaskel.desktop

mkdir -p "$bin" "$share" "$HOME/.local/share"
cp -f "$from"/bin/* "$bin"/  # -f: a program that is running is replaced, not refused
for item in "$from"/share/*; do
    [ "${item##*/}" = locale ] || cp -Rf "$item" "$share"/
done
cp -Rf "$from"/share/locale "$HOME/.local/share"/

# The launcher's path as one quoted argument of Exec: a backslash before each
# " ` $ and \ inside the quotes, then every backslash doubled again as the
# entry's own escape, and % written as %%.
launcher=$(printf '%s' "$bin/vornhaskel-launch" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
while IFS= read -r line; do
    case $line in
    "Exec=vornhaskel-launch "*) printf 'Exec="%s" %s\n' "$launcher" "${line#Exec=vornhaskel-launch }" ;;
    *) printf '%s\n' "$line" ;;
    esac
done <"$from/share/$entry" >"$share/$entry"
echo "vornhaskel is in the desktop menu, started as $bin/vornhaskel-launch"
echo "From the menu it finds the game by itself where Steam (every library, SD cards too),"
echo "Heroic, Lutris or Wine installed it; where it finds none, choose the game folder."
echo "Steam Deck: add $bin/vornhaskel-launch to Steam as a non-Steam game to use it in Game Mode."
