#!/usr/bin/env bash
# The release artefacts in dist/ from the outside: the Debian package (control data,
# contents, lintian, its firmpack and manual page unpacked into a scratch root), the
# Windows zip (its firmpack.exe under Wine packing onto the zip's own stub) and SHA256SUMS.
# Run after scripts/package; Wine needs WINEPREFIX and DISPLAY as scripts/run-tests sets them.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
dist="$root/dist"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
same() {  # same ACTUAL EXPECTED: says what differs when they do
    [ "$1" = "$2" ] || { printf '  got:      %s\n  expected: %s\n' "$1" "$2"; false; }
}
sha256() { sha256sum "$1" | cut -d' ' -f1; }

version="$(sed -n 's/^project(OrvaneFirmUp VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
arch="$(dpkg --print-architecture)"
deb="$dist/firmpack_${version}_${arch}.deb"
folder="firmpack-$version-win32"
python3 -c 'import random; open("fw.bin", "wb").write(random.Random(11).randbytes(50000))'

# --- The Debian package: control data, contents, lintian ------------------------------------
for row in "Package|firmpack" "Version|$version" "Architecture|$arch" "Section|utils" \
    "Maintainer|Orvane Maintainers <maintainers@orvane.example>"; do
    check "control field ${row%%|*}" same "$(dpkg-deb --field "$deb" "${row%%|*}")" "${row#*|}"
done
depends="$(dpkg-deb --field "$deb" Depends)"
check "Depends names the shared libraries, with versions" eval 'contains "$depends" "libc6 (>=" && contains "$depends" "libssl3 (>="'
check "Description has a summary and a long text" eval '[ "$(dpkg-deb --field "$deb" Description | wc -l)" -ge 3 ]'
check "contents: the program, its manual page and the documentation, owned by root" \
    same "$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ || $1 $2 != "drwxr-xr-xroot/root" {print $1, $2, $6}' | sort -k3)" \
    "-rwxr-xr-x root/root ./usr/bin/firmpack
-rw-r--r-- root/root ./usr/share/doc/firmpack/README.md
-rw-r--r-- root/root ./usr/share/doc/firmpack/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/firmpack/copyright
-rw-r--r-- root/root ./usr/share/man/man1/firmpack.1.gz"
lintian --fail-on error,warning --display-info "$deb"
check "lintian finds no error or warning" [ $? -eq 0 ]

# --- Its firmpack, unpacked into a scratch root, and its manual page ---------------------------
dpkg -x "$deb" debroot
firmpack=debroot/usr/bin/firmpack
check "--version shows the version and the stub's SHA-256" \
    same "$("$firmpack" --version)" "firmpack $version (stub sha256 $(sha256 "$dist/OrvaneFirmUp.exe"))"
mkdir deb-out
"$firmpack" pack fw.bin --label DEB_TEST -o Deb.exe >/dev/null
check "pack, then extract" same "$("$firmpack" extract Deb.exe -C deb-out)" "Firmware Upgrade file Success !!!"
check "the firmware comes back whole" cmp -s fw.bin deb-out/fw.bin
check "copyright is the licence" cmp -s "$root/LICENSE" debroot/usr/share/doc/firmpack/copyright
page="$(LC_ALL=C MANWIDTH=200 man --warnings -l debroot/usr/share/man/man1/firmpack.1.gz 2>man-warnings)"
check "man renders without warnings and names the version" eval '[ ! -s man-warnings ] && contains "$page" "firmpack $version"'
for command in pack inspect verify extract; do
    for option in $command $("$firmpack" "$command" --help | grep -oE '^ +-[^ ]+' | tr ',' ' '); do
        check "the page documents $command $option" contains "$page" "$option"
    done
done
for status in "0      Success" "1      Verification failed" "2      Usage error" "3      I/O error" "PACKAGE FORMAT"; do
    check "the page holds \"$status\"" contains "$page" "$status"
done

# --- The Windows zip: one folder; its firmpack.exe packs onto its own stub under Wine ----------
check "zip listing" same "$(unzip -Z1 "$dist/$folder.zip" | xargs)" \
    "$folder/firmpack.exe $folder/OrvaneFirmUp.exe $folder/README.md $folder/LICENSE"
unzip -q "$dist/$folder.zip" -d win
cd "win/$folder" && cp ../../fw.bin . && mkdir out
check "the zip's stub is the built one" cmp -s OrvaneFirmUp.exe "$dist/OrvaneFirmUp.exe"
check "firmpack.exe --version names the zip's stub" \
    same "$("$root/scripts/wine-run" firmpack.exe --version | tr -d '\r')" "firmpack $version (stub sha256 $(sha256 OrvaneFirmUp.exe))"
"$root/scripts/wine-run" firmpack.exe pack fw.bin --stub OrvaneFirmUp.exe --label ZIP_TEST -o Carrier.exe >/dev/null
check "firmpack.exe packs onto the zip's stub" cmp -s -n "$(stat -c %s OrvaneFirmUp.exe)" OrvaneFirmUp.exe Carrier.exe
check "firmpack.exe extracts the carrier" \
    same "$("$root/scripts/wine-run" firmpack.exe extract Carrier.exe -C out | tr -d '\r')" "Firmware Upgrade file Success !!!"
check "the firmware comes back whole under Wine" cmp -s fw.bin out/fw.bin
cd "$work"

check "SHA256SUMS names the artefacts and verifies" eval 'same "$(awk "{print \$2}" "$dist/SHA256SUMS" | xargs)" "$(basename "$deb") $folder.zip" &&
    (cd "$dist" && sha256sum --quiet --strict -c SHA256SUMS)'

summary "package"
