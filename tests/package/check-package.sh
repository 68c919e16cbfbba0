#!/bin/sh
# Builds the Debian package and checks it as a user would meet it: the file
# list against the installed layout, lintian, the desktop entry and the
# AppStream metadata, the manual pages, and the unpacked speclore-cli run by
# an ordinary user with a fresh home, which must write the workbook, create
# the user's settings under ~/.config/speclore and write nothing beside the
# program. Runs as root (it builds the package and switches users).
set -eu
cd "$(dirname "$0")/../.."
fail() { echo "package check: $*" >&2; exit 1; }

sh scripts/package.sh > build/package.log 2>&1 || { tail -30 build/package.log; fail "building the package failed"; }
deb=$(ls build/speclore_*_*.deb)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
sed "s/@MULTIARCH@/$multiarch/" tests/package/expected-files.txt | sort > "$work/expected"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$' | sort > "$work/actual"
diff -u "$work/expected" "$work/actual" || fail "the package's files differ from the installed layout"

lintian --fail-on error,warning "$deb" || fail "lintian found errors or warnings"

root="$work/root"
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/jp.speclore.Speclore.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/jp.speclore.Speclore.metainfo.xml" || fail "metainfo"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "manual page $page: $warnings"
done
"$root/usr/bin/speclore-cli" --help | grep -q -- '--output' || fail "speclore-cli --help"

# An ordinary user with a fresh home runs the unpacked companion.
home="$work/home"
mkdir -p "$home" "$work/out"
cp tests/fixtures/catalog_ja.mdb "$work/out/"
chown -R 65534:65534 "$home" "$work/out"
touch "$work/before-run"
sleep 1
setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin \
  "$root/usr/bin/speclore-cli" "$work/out/catalog_ja.mdb" -o "$work/out/catalog_ja.xls" \
  || fail "the unpacked speclore-cli failed"
[ -s "$work/out/catalog_ja.xls" ] || fail "no workbook written"
cmp -s "$home/.config/speclore/Speclore.ini" "$root/usr/share/speclore/Speclore.ini" \
  || fail "the user's settings were not created from the shipped default"
changed=$(find "$root" -newer "$work/before-run")
[ -z "$changed" ] || fail "written beside the program: $changed"
echo "package check: $(basename "$deb") passed"
