#!/usr/bin/env bash
# The release artefacts in dist/ from the outside: the Debian package (control data, contents,
# lintian, its firmpack and manual page unpacked into a scratch root), the Windows zip (the
# programs built and tested, and texts for Notepad) and SHA256SUMS. Run after scripts/package.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/checks.sh"
dist="$root/dist"
version="$(sed -n 's/^project(OrvaneFirmUp VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
arch="$(dpkg --print-architecture)" success="Firmware Upgrade file Success !!!"
deb="firmpack_${version}_${arch}.deb" folder="firmpack-$version-win32"
random_file fw.bin 50000

check "control fields" same "$(dpkg-deb --field "$dist/$deb" Package Version Architecture Section Maintainer | paste -sd' ')" \
    "Package: firmpack Version: $version Architecture: $arch Section: utils Maintainer: Orvane Maintainers <maintainers@orvane.example>"
check "Depends names the shared libraries, with versions" \
    eval 'dpkg-deb --field "$dist/$deb" Depends | grep "libc6 (>=" | grep -q "libssl3 (>="'
check "contents: the program, its manual page and the documentation, owned by root" \
    same "$(dpkg-deb --contents "$dist/$deb" | awk '$1 !~ /^d/ || $1 $2 != "drwxr-xr-xroot/root" {print $1, $2, $6}' | sort -k3)" \
    "-rwxr-xr-x root/root ./usr/bin/firmpack
-rw-r--r-- root/root ./usr/share/doc/firmpack/README.md
-rw-r--r-- root/root ./usr/share/doc/firmpack/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/firmpack/copyright
-rw-r--r-- root/root ./usr/share/man/man1/firmpack.1.gz"
check "lintian finds no error or warning" lintian --fail-on error,warning --display-info "$dist/$deb"

# Its firmpack, unpacked into a scratch root, and its manual page.
dpkg -x "$dist/$deb" debroot && mkdir deb-out
firmpack=debroot/usr/bin/firmpack
check "--version shows the version and the stub's SHA-256" \
    same "$("$firmpack" --version)" "firmpack $version (stub sha256 $(sha256 "$dist/OrvaneFirmUp.exe"))"
"$firmpack" pack fw.bin --label DEB_TEST -o Deb.exe >/dev/null && run "$firmpack" extract Deb.exe -C deb-out
check "pack, then extract" eval 'same "$out" "$success" && cmp -s fw.bin deb-out/fw.bin'
check "copyright is the licence" cmp -s "$root/LICENSE" debroot/usr/share/doc/firmpack/copyright
page="$(LC_ALL=C MANWIDTH=200 man --warnings -l debroot/usr/share/man/man1/firmpack.1.gz 2>man-warnings)"
# Its options are the documentation test's; here, that it renders as installed.
check "man renders without warnings and names the version" eval '[ ! -s man-warnings ] && has "$page" "firmpack $version" &&
    has "$page" "PACKAGE FORMAT"'

# The Windows zip: one folder.
check "zip listing" same "$(unzip -Z1 "$dist/$folder.zip" | xargs)" \
    "$(echo "$folder"/{firmpack.exe,OrvaneFirmUp.exe,README.txt,firmpack.txt,LICENSE})"
unzip -q "$dist/$folder.zip" -d win && cd "win/$folder"
# Its texts, for Notepad: the Windows users' README and the manual page as plain text of this version.
for text in README.txt firmpack.txt; do check "$text: UTF-8 with a byte order mark, CRLF lines" python3 -c 'import sys
b = open(sys.argv[1], "rb").read(); sys.exit(not (b.startswith(b"\xef\xbb\xbf") and b.decode() and b.count(b"\n") == b.count(b"\r\n")))' "$text"; done
check "README.txt is the Windows users' README" cmp -s <(tail -c +4 README.txt | tr -d '\r') "$root/docs/README-windows.txt"
check "firmpack.txt is the rendered manual page" eval 'has "$(cat firmpack.txt)" "firmpack $version" && has "$(cat firmpack.txt)" "EXIT STATUS" &&
    ! grep -qE $'"'"'\b|\e|\xe2\x80\x90|@[A-Z_]+@'"'"' firmpack.txt'
# The ones built and tested: the CLI test runs that firmpack.exe under Wine, its stub built in.
check "the zip's programs are the built ones" eval 'cmp -s OrvaneFirmUp.exe "$dist/OrvaneFirmUp.exe" &&
    cmp -s firmpack.exe "$dist/firmpack.exe"'

cd "$dist" || exit 1
check "SHA256SUMS names the artefacts and verifies" eval 'same "$(awk "{print \$2}" SHA256SUMS | xargs)" "$deb $folder.zip" &&
    sha256sum --quiet --strict -c SHA256SUMS'
summary "package"
