#!/usr/bin/env bash
# Checks the Debian package that `cmake --workflow --preset package` wrote into build/release:
# lintian finds nothing, it installs, the installed orvane renders the bundled example exactly as
# the build tree's program does, its manual page opens, and removing it leaves nothing behind.
# Needs root, apt-get, lintian and man.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build/release/orvane_*.deb)
[ ${#packages[@]} -eq 1 ] || { echo "expected one package in build/release: ${packages[*]}"; exit 1; }
package=${packages[0]}

# The package is not uploaded to Debian, so there is no bug of an intent to package for its first
# changelog entry to close.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$package"

installed=$(dpkg-deb --fsys-tarfile "$package" | tar -t | sed 's|^\./|/|' | grep -v '/$')
outside=$(grep -v '^/usr/' <<<"$installed" || true)
[ -z "$outside" ] || { echo "files outside /usr: $outside"; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$package" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp /usr/share/doc/orvane/examples/* "$work"
(cd "$work" && orvane showcase.ray 160 120 installed.tga -recurse 3 >/dev/null)
(cd examples && ../build/release/Orvane showcase.ray 160 120 "$work/built.tga" -recurse 3 >/dev/null)
cmp "$work/installed.tga" "$work/built.tga"
man -P cat orvane | grep -q 'render a scene of spheres'

DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq orvane >/dev/null
if dpkg -s orvane >/dev/null 2>&1; then echo "orvane is still installed"; exit 1; fi
for file in $installed; do
    if [ -e "$file" ] || [ -L "$file" ]; then echo "left behind: $file"; exit 1; fi
done
[ ! -e /usr/share/doc/orvane ] || { echo "left behind: /usr/share/doc/orvane"; exit 1; }
echo "package $package: lintian clean, installed, used and removed"
