#!/usr/bin/env bash
# Brings translations/kestrova_*.ts up to date with the window's texts: the code of the
# window folders and the skin's layout. New texts come in unfinished (the build's check
# then fails until they are translated); texts no longer used are dropped.
#   update-translations.sh [FOLDER]   with a folder, updates copies there and leaves ours alone
set -euo pipefail
cd "$(dirname "$0")/.."

lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
[ -x "$lupdate" ] || lupdate=$(command -v lupdate)

out=${1:-translations}
ts=()
for file in translations/kestrova_*.ts; do
    [ "$out" = translations ] || cp "$file" "$out/"
    ts+=("$out/$(basename "$file")")
done

# lupdate reads a Designer layout only under a .ui name.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for layout in skins/*/*.xml; do
    ln -s "$PWD/$layout" "$tmp/$(basename "$(dirname "$layout")")-$(basename "$layout" .xml).ui"
done

# Locations are left out so that moving code does not touch the translations.
"$lupdate" -silent -locations none -no-obsolete -no-ui-lines \
    -I . controls progress ui app "$tmp"/*.ui -ts "${ts[@]}"
