#!/bin/sh
# Builds the Debian package from a build folder, shows its control fields, installs it with
# apt as a user would, checks the installed programs (scripts/check-installed.sh /usr) and
# removes the package again, also when a check failed.
#   package-check.sh BUILD_DIR
set -eu
[ $# -eq 1 ] || { echo "usage: package-check.sh BUILD_DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
fail() { echo "package-check: $*" >&2; exit 1; }

if dpkg-query -W -f='${Status}' kestrova 2>/dev/null | grep -q 'install ok installed'; then
    fail "a kestrova package is installed already; remove it first (apt-get remove kestrova)"
fi

rm -f "$build"/kestrova_*.deb
(cd "$build" && cpack -G DEB) || fail "cpack -G DEB failed"
set -- "$build"/kestrova_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack wrote no single kestrova_*.deb"
deb=$1
dpkg-deb -I "$deb"
dpkg-deb -c "$deb" | awk '{ print "  " $6 }'
for field in Package Version Maintainer Section Depends Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "the package's section is not graphics"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libvips42 libqt6widgets6 libquazip1-qt6; do
    echo "$depends" | grep -q "$library" || fail "Depends does not name $library: $depends"
done

export DEBIAN_FRONTEND=noninteractive
trap '$SUDO apt-get remove -y -q kestrova >/dev/null 2>&1 || true' EXIT
$SUDO apt-get install -y -qq "$deb" || fail "apt-get install $deb failed"
command -v desktop-file-validate >/dev/null && desktop-file-validate /usr/share/applications/kestrova.desktop
"$here/scripts/check-installed.sh" /usr
$SUDO apt-get remove -y -qq kestrova || fail "apt-get remove kestrova failed"
trap - EXIT
[ ! -e /usr/bin/kestrova ] && [ ! -e /usr/share/kestrova ] || fail "apt-get remove left files behind"
echo "package-check: $(basename "$deb") installed with apt, checked and removed"
