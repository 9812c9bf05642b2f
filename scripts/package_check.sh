#!/usr/bin/env bash
# Makes the Debian package from an optimised build and checks it: the files a user needs are in it,
# its dependencies are declared, and the programs unpacked from it start an engine game from the
# bitbase and book they carry (a fresh home folder is seeded from the package's share/kestrin).
# usage: scripts/package_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/kestrin-chess_*.deb | head -n 1)
contents=$(dpkg-deb -c "$deb")
for f in usr/bin/kestrin usr/bin/kestrin-engine usr/share/kestrin/KPK.kbb usr/share/kestrin/TestBook.kcb \
         usr/share/applications/kestrin.desktop usr/share/icons/hicolor/scalable/apps/kestrin.svg; do
  grep -q "\./$f\$" <<<"$contents" || { echo "package check FAILED: $f missing from $(basename "$deb")"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q qt6-qpa-plugins <<<"$depends" || { echo "package check FAILED: no platform plugin in Depends: $depends"; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
out=$({ printf 'xboard\nprotover 2\nnew\nsd 2\ngo\n'; sleep 5; printf 'quit\n'; } | timeout 30 "$root/usr/bin/kestrin-engine" --home "$root/home" || true)
grep -q '^move ' <<<"$out" || { echo "package check FAILED: the unpacked engine made no move"; exit 1; }
for f in KPK.kbb TestBook.kcb; do
  cmp -s "$root/home/$f" "$root/usr/share/kestrin/$f" || { echo "package check FAILED: home not seeded with $f"; exit 1; }
done
echo "package check passed: $(basename "$deb") ($(wc -c <"$deb") bytes)"
