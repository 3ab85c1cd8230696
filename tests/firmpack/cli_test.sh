#!/usr/bin/env bash
# firmpack from the outside: round trips, refusals, damaged carriers, containment, paths beyond
# ASCII and code pages. Usage: cli_test.sh [RUNNER...] FIRMPACK   (RUNNER: Wine for firmpack.exe)
firmpack=("$@")
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
[[ "${firmpack[-1]}" == *.exe ]] && windows=true || windows=false
fp() {
    run "${firmpack[@]}" "$@"
    # Where Wine's 32-bit side runs under qemu, a process now and then dies as it ends (qemu's
    # "uncaught target signal 3"), without a word: it is started once more. firmpack never
    # fails silently, so a real fault still shows.
    if $windows && [ "$rc" != 0 ] && { [ "$rc" = 131 ] || [ -z "$out$err" ]; }; then run "${firmpack[@]}" "$@"; fi
}
success="Firmware Upgrade file Success !!!" fail="Warning : Firmware Upgrade file Fail !!!"

# Rows: status|a phrase the output holds (stderr's on failure)|the arguments, as typed.
# A command that fails leaves the folder as it was: no file more, less or changed.
expect_rows() {
    while IFS='|' read -r status phrase args; do
        touch stamp && before="$(ls -AR)" && eval "fp $args"
        [ "$status" = 0 ] && said="$out" || said="$err"
        check "$args ($phrase)" eval '[ "$rc" = "$status" ] && has "$said" "$phrase" && { [ "$rc" = 0 ] ||
            same "$(ls -AR)$(find . -newer stamp -type f ! -name "std*")" "$before"; }'
    done
}

random_file fw.bin 100000 && random_file small.bin 1000
# The first label fills its field. Run natively, the documentation's examples check the rest of
# the output.
expect_rows <<EOF
0|packed fw.bin into Up.exe (target "fw.bin", label "Release_1.0.0-rc")|pack fw.bin -o Up.exe --label Release_1.0.0-rc
2|label "a\x7fb" holds the control character 0x7F|pack fw.bin -o x.exe --label $'a\x7fb'
2|stub fw.bin is not a Windows executable|pack fw.bin -o x.exe --stub fw.bin
3|cannot open firmware nofile.bin|pack nofile.bin -o x.exe
2|--codepage: 65001 not in|pack fw.bin -o x.exe --codepage 65001 --label R1
2|--sha256: takes 64 hexadecimal digits|verify --sha256 abc Up.exe
1|Up.exe: the firmware's SHA-256 is|verify --sha256 "$(printf %064d 0)" Up.exe
0||verify --sha256 "$(tr a-f A-F <<<"$(sha256 fw.bin)")" Up.exe
0|packed small.bin into Small.exe|pack small.bin -o Small.exe
0|"payload_sha256": "$(sha256 fw.bin)"|inspect --json Up.exe
EOF
edit Up.exe Bare.exe "del b[$(json stub_end):]"  # a bare stub, whatever its last bytes happen to say

# --- Damaged carriers: verify and extract fail alike, and nothing is written ---------------
edit Up.exe Flipped.exe 'b[-100] ^= 0x40' && edit Up.exe Cut.exe 'b[:] = b[:-5000] + b[-10:]'
long="$(printf 'd%.0s' {1..120})"  # a path that outgrows the carrier's 128-byte buffers
mkdir -p box/out/sub "box/$long"
for row in "Flipped.exe|damaged package: stored checksum" "Cut.exe|damaged package: payload length 100000 reaches" \
    "Bare.exe|no package"; do
    expect_rows <<EOF
1|${row%|*}: ${row#*|}|verify ${row%|*}
1|$fail|extract ${row%|*} -C box/out
0|verdict            ChecksumMismatch: "$fail"|inspect ${row%|*}
EOF
done

# --- One verdict on the carried name, asked by every command; each rule's own text is the unit
# tests'. Rows: the name (printf %b), then the exit status of pack --target, verify and extract
# -C box/out --codepage raw of a carrier Bad.exe storing it, and the phrase of inspect's target name
# check. The name goes into a copy of Up.exe: at H+16, space-padded, nibble-swapped; the last ten
# bytes hold H, swapped too.
retarget='import os; swap = lambda s: bytes((c >> 4 | c << 4) & 255 for c in s); h = int(swap(b[-10:]))
b[h + 16:h + 32] = swap(os.fsencode(arg).ljust(16))'
while IFS='|' read -r name pack verify extract phrase; do
    printf -v target '%b' "$name"
    edit Up.exe Bad.exe "$retarget" "$target"
    fp pack fw.bin -o T.exe --codepage raw --target "$target" && packed=$rc
    # Windows hands a program no bytes that are not text: there raw stores the ANSI code page's.
    $windows && [[ "$name" == *'\x'* ]] && packed=$pack
    fp verify Bad.exe && verified=$rc
    fp inspect Bad.exe && inspected="$out"
    fp extract Bad.exe -C box/out --codepage raw
    check "$name: pack $pack, verify $verify, extract $extract, inspect: $phrase" eval \
        'same "$packed $verified $rc" "$pack $verify $extract" && has "$inspected" "target name check  $phrase"'
done <<ROWS
fw.bin|0|0|0|allowed
./BAD.EXE|0|1|1|refused: it names the carrier itself
sub/fw.bin|2|1|0|refused: it names a file in a folder
COM\\xa9\\xf6.bin|2|1|1|refused: it names a Windows device (read in code page 949)
\\xc6\\xdf\\xbf\\xfe\\xbe\\xee.bin|0|0|0|allowed
a\\x01b|2|1|1|refused: it holds the control character 0x01, which Windows does not allow
ROWS
# A carrier that names no file a Windows user gets goes nowhere, --output or not.
edit Up.exe Bad.exe "$retarget" 'a\b.bin' && edit Up.exe Out.exe "$retarget" 'sub\..\..\x'
# A security directory that names 16 bytes inside the file: no signature closes it.
edit Up.exe Dir.exe 'p = int.from_bytes(b[0x3c:0x40], "little") + 152; b[p:p + 8] = (16).to_bytes(4, "little") * 2'
head -c 100 /dev/zero >z.exe && mkdir adir sub && cp fw.bin sub/
expect_rows <<'EOF'
0|"payload_fits": false|inspect --json Cut.exe
0|100000 bytes (past the end of the file)|inspect Cut.exe
0|"stub_sha256": null|inspect --json Bare.exe
0|"signature_offset": null|inspect --json Dir.exe
3|cannot write a/b.bin: No such file or directory; Firmware Upgrade file Fail !!! -> Check "Read Only"|extract Bad.exe -C box/out
0||verify --allow-folder Bad.exe
0|"target_name_allowed": false|inspect --json Bad.exe
2|target name "Up.exe" is refused: it names the carrier itself|pack fw.bin -o box/Up.exe --target Up.exe
2|Up.bin: the carrier's file name must end in ".exe"|pack fw.bin -o Up.bin
0|into x.exe (target "fw.bin"|pack sub/fw.bin -o x.exe
1|"sub\x5c..\x5c..\x5cx" is refused: it has a ".." component, which leads out of the folder; nothing was written|extract Out.exe -o mine.bin
1|z.exe: target name "" is refused: it is empty, so the carrier has no file to write; nothing was written|extract z.exe -o o.bin
1|z.exe: no carrier: it is not a Windows executable|verify z.exe
0|"file_kind": "not_an_executable"|inspect --json z.exe
0|(this firmpack's own)|inspect Up.exe
1|Up.exe: the stub's SHA-256 is|verify --stub-sha256 "$(printf %064d 0)" Up.exe
3|cannot open x\x1b[2J\x07.exe for reading|verify $'x\e[2J\a.exe'
3|cannot open adir for reading: it is not a file|extract adir -o o.bin
3|cannot open nofile.exe for reading: No such file or directory|extract nofile.exe
3|cannot enter folder nodir|extract Up.exe -C nodir
2|"COM¹.bin" is refused: it names a Windows device|pack fw.bin -o x.exe --codepage 949 --target COM¹.bin
EOF
mkdir -p box/out/a && fp extract Bad.exe -C box/out
check "extract writes into a folder that exists, \\ separating it" eval '[ "$rc" = 0 ] && cmp -s fw.bin box/out/a/b.bin'

# --output: a file of the user's choosing, anywhere, under a name of any length; "-" is stdout,
# the message then on stderr.
fp extract Up.exe -C box/out --output "../$long/$long.bin"
check "extract --output FILE" eval 'same "$rc $out" "0 $success" && cmp -s fw.bin "box/$long/$long.bin"'
fp extract Up.exe --output -
check "extract --output -" eval 'same "$rc $err" "0 $success" && cmp -s fw.bin stdout'
edit Up.exe Esc.exe "$retarget" $'\e]0;x\a\e[2J.exe'
fp verify Esc.exe
check "nothing carried reaches the terminal raw" eval '[ "$rc" = 1 ] && has "$err" "\\x1b]0;x\\x07\\x1b[2J" && ! has "$err" $'"'"'\e'"'"

# --- Code pages: the same text gives the same bytes on Linux and Windows, or the same refusal.
# Rows: code page|label|target|label and target as stored, in hex, or the refusal. Typed decomposed,
# as macOS gives names: the second Việt (ê, dot below), café, 펌 (jamo), lợi (dot below before horn),
# ガ (カ, voicing mark), café펌; c̀́ (c, grave, acute: the grave keeps the acute from the c). 豈 is
# U+F900, which 949 holds apart from U+8C48. Wine decodes a program's command line in the shell's
# locale: only UTF-8 keeps every row intact.
if ! $windows || [ "$(locale charmap)" = UTF-8 ]; then
    nfc() { python3 -c 'import sys, unicodedata; print(unicodedata.normalize("NFC", " ".join(sys.argv[1:])))' "$@"; }
    while IFS='|' read -r cp label target stored; do
        fp pack fw.bin -o Cp.exe --codepage "$cp" --label "$label" --target "$target"
        [ "$rc" = 0 ] || { check "code page $cp: $label $target refused" has "$rc $err" "2 firmpack: $stored"; continue; }
        fp inspect --json --codepage "$cp" Cp.exe
        check "code page $cp: $label $target stored and shown" eval 'same "$(json label_hex target_name_hex)" "$stored" &&
            same "$(nfc "$(json label target_name)")" "$(nfc "$label" "$target")"'
    done <<'EOF'
949|펌웨어|펌웨어.bin|c6dfbffebeee c6dfbffebeee2e62696e
1258|Việt|v.bin|5669eaf274 762e62696e
1258|Việt|v.bin|5669eaf274 762e62696e
932|ソフト|ソフト.bin|835c83748367 835c837483672e62696e
950|韌體|許功.bin|b6b4c5e9 b35ca55c2e62696e
1252|café|café.bin|636166e9 636166e92e62696e
949|펌|펌.bin|c6df c6df2e62696e
1258|lợi|v.bin|6cf5f269 762e62696e
1258|c̀́|v.bin|63ccec 762e62696e
932|ガ|fw.bin|834b 66772e62696e
949|豈|豈.bin|cbd0 cbd02e62696e
932|¥100|fw.bin|label "¥100": "¥" (U+00A5) has no form in code page 932
1252|café펌|fw.bin|label "café펌": "펌" (U+D38C) has no form in code page 1252
949|가나다라마바사아자|fw.bin|label "가나다라마바사아자" is 18 bytes long in code page 949
1252|R1|a	b|target name "a\x09b" holds the control character 0x09
EOF
    if $windows && [[ "${LANG:-}" == en_US* ]]; then
        expect_rows <<<"2|label \"펌웨어\" holds characters the system's code page cannot hold|pack fw.bin -o x.exe --codepage raw --label 펌웨어"
    fi

    # A Korean user's folder: names beyond ASCII and beyond the system's code page, relative and
    # absolute (as Windows writes them), land under exactly the names given.
    mkdir -p 김/출력 && cd 김 && cp ../fw.bin 펌웨어.bin
    here="$PWD" && $windows && here="Z:${PWD//\//\\}"
    expect_rows <<'EOF'
0|packed 펌웨어.bin into 업데이트.exe|pack 펌웨어.bin -o 업데이트.exe --target fw.bin
2|or --codepage raw to store the bytes exactly as given|pack 펌웨어.bin -o x.exe --label 펌웨어
0|packed|pack "$here/펌웨어.bin" -o "$here/절대.exe" --target fw.bin
0||verify "$here/업데이트.exe"
0|Success !!!|extract 업데이트.exe -C 출력
0|Success !!!|extract "$here/절대.exe" -C "$here/출력" -o 펌웨어-ğ.bin
0|Success !!!|extract 절대.exe -o "$here/출력/ş.bin"
0|packed|pack 펌웨어.bin -o K.exe --codepage 949
0|Success !!!|extract K.exe -C 출력 --codepage 949
EOF
    check "the files are there under their own names" eval 'cmp -s 펌웨어.bin 출력/fw.bin && cmp -s 펌웨어.bin 출력/펌웨어-ğ.bin &&
        cmp -s 펌웨어.bin 출력/ş.bin && cmp -s 펌웨어.bin 출력/펌웨어.bin'
    cd ..
else
    echo "note: the code page cases need a UTF-8 locale to reach a Windows program intact"
fi

# Bytes given exactly (raw), as Linux passes them; Windows would pass its ANSI code page. JSON shows
# a byte that starts no character as U+FFFD. Devices are written as they are; a standard output
# that fills up is a write error.
if ! $windows; then
    fp pack fw.bin -o Raw.exe --codepage raw --label 펌웨어
    fp pack fw.bin -o Latin.exe --codepage raw --label $'\xb0\xa1'
    expect_rows <<EOF
2|label "\xb0\xa1" is not UTF-8 text|pack fw.bin -o x.exe --codepage 949 --label \$'\xb0\xa1'
0|"label_hex": "ed8e8cec9ba8ec96b4"|inspect --json Raw.exe
0|"label": "�|inspect --json --codepage 949 Raw.exe
0|"label": "°¡"|inspect --json Latin.exe
0|$success|extract Up.exe -o /dev/null
EOF
    chmod 600 box/out/fw.bin && fp extract Up.exe -C box/out
    check "a replaced target keeps its permissions" same "$rc $(stat -c %a box/out/fw.bin)" "0 600"
    "${firmpack[@]}" extract Small.exe -o - >/dev/full 2>stderr  # whole in the stream's buffer until the end
    check "a full standard output fails the extraction" same "$? $(<stderr)" "3 firmpack: Firmware Upgrade file Fail !!! -> Write error..."
fi

summary "firmpack cli"
