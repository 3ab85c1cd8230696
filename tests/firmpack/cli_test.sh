#!/usr/bin/env bash
# firmpack from the outside: round trips, refusals, damaged carriers and the atomic write.
# Usage: cli_test.sh [RUNNER...] FIRMPACK   (RUNNER runs a Windows firmpack.exe under Wine)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

firmpack=("$@")
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"
windows=false
[[ "${firmpack[-1]}" == *.exe ]] && windows=true

run() { run_command "${firmpack[@]}" "$@"; }
can_deny_writes() { [ "$(id -u)" -ne 0 ]; }

python3 -c 'import random; random.seed(7); open("fw.bin","wb").write(bytes(random.getrandbits(8) for _ in range(100000)))'
cp fw.bin longfirmwarename.bin

# --- Round trip -----------------------------------------------------------------------
run pack fw.bin -o Up.exe --label R1.0
check "pack" [ "$rc" -eq 0 ]
run verify Up.exe
check "verify is silent on success" [ "$rc" -eq 0 -a -z "$out$err" ]
run inspect --json Up.exe
check "inspect --json" python3 -c '
import hashlib, json, sys
r = json.loads(sys.argv[1])
assert (r["label"], r["target_name"], r["payload_length"], r["verdict"]) == ("R1.0", "fw.bin", 100000, "Extracted"), r
assert r["stored_checksum"] == r["computed_checksum"] == sum(open("fw.bin", "rb").read()), r
gap = r["file_size"] - (r["header_position"] + 42 + 100000 + 20)
assert r["stub_end"] == r["header_position"] and r["file_size"] % 8 == 0 and 0 <= gap < 8, r
assert r["signature_offset"] is None and r["payload_sha256"] == hashlib.sha256(open("fw.bin", "rb").read()).hexdigest(), r' "$out"
mkdir out
run extract Up.exe -C out
check "extract writes the firmware" cmp -s fw.bin out/fw.bin
check "extract prints the carrier's message" [ "$rc" -eq 0 -a "$out" = "Firmware Upgrade file Success !!!" ]

# --- Refusals: status and a word the message must hold ----------------------------------
refusals=(
    "2|17 bytes|pack fw.bin -o x.exe --label ABCDEFGHIJKLMNOPQ"
    "2|17 bytes|pack fw.bin -o x.exe --target a_b_c_d_e_f_g_h_i"
    "2|target name|pack longfirmwarename.bin -o x.exe"
    "2|not a Windows executable|pack fw.bin -o x.exe --stub fw.bin"
    "2|input files|pack fw.bin -o fw.bin"
    "2|\"../evil.txt\" is refused|pack fw.bin -o x.exe --target ../evil.txt"
    "2|\"NUL.txt\" is refused|pack fw.bin -o x.exe --target NUL.txt"
    "3|nofile.bin|pack nofile.bin -o x.exe"
    "3|cannot open|verify nofile.exe"
    "2|subcommand|"
    "2|--bogus|pack fw.bin -o x.exe --bogus"
    "2|--codepage: 65001 not in|pack fw.bin -o x.exe --codepage 65001 --label R1"
)
for row in "${refusals[@]}"; do
    IFS='|' read -r status word args <<<"$row"
    # shellcheck disable=SC2086
    run $args
    check "refuses: $args" eval '[ "$rc" -eq "$status" ] && contains "$err" "$word" && [ -z "$(ls | grep "^x\.exe")" ]'
    rm -f x.exe*
done
run pack fw.bin -o x.exe --label "a b"
check "refuses a label with a space" eval '[ "$rc" -eq 2 ] && contains "$err" space'

run pack fw.bin -o Up.bin
check "warns about a name without .exe" eval '[ "$rc" -eq 0 ] && contains "$err" ".exe"'

# --- Damaged carriers: verify and extract agree, nothing is written -----------------------
damage() {  # damage NAME PYTHON-EXPRESSION-ON-b
    python3 -c "b = bytearray(open('Up.exe','rb').read()); $2; open('$1','wb').write(b)"
}
damage Flipped.exe 'b[-100] ^= 0x40'
damage Cut.exe 'b[:] = b[:-5000] + b[-10:]'
for bad in Flipped.exe Cut.exe; do
    run verify "$bad"
    check "verify fails on $bad" eval '[ "$rc" -eq 1 ] && contains "$err" damaged'
    mkdir "x-$bad"
    run extract "$bad" -C "x-$bad"
    check "extract refuses $bad" eval '[ "$rc" -eq 1 ] && contains "$err" "Warning : Firmware Upgrade file Fail !!!" && [ -z "$(ls "x-$bad")" ]'
    run extract "$bad" --output - 2>/dev/null  # (bash's note on the NUL bytes it drops)
    check "extract to standard output fails on $bad" eval '[ "$rc" -eq 1 ] && contains "$err" Warning'
    run inspect "$bad"
    check "inspect reports $bad" eval '[ "$rc" -eq 0 ] && contains "$out" ChecksumMismatch'
done

# A bare stub holds no package, whatever its last bytes happen to say.
python3 -c 'import json, sys; end = json.loads(sys.argv[1])["stub_end"]; open("Bare.exe", "wb").write(open("Up.exe", "rb").read()[:end])' \
    "$("${firmpack[@]}" inspect --json Up.exe | tr -d '\r')"
run verify Bare.exe
check "verify fails on a bare stub" eval '[ "$rc" -eq 1 ] && contains "$err" "no package"'

# --- Containment: extract writes only inside the folder it is given ------------------------
# Names pack refuses are written into a copy of Up.exe: the target-name field lies at H+16,
# space-padded, each byte nibble-swapped; the last ten bytes hold H, swapped the same way.
retarget() {  # retarget CARRIER NAME
    python3 -c '
import sys
swap = lambda s: bytes((c >> 4 | c << 4) & 0xFF for c in s)
b = bytearray(open("Up.exe", "rb").read())
h = int(swap(b[-10:]))
b[h + 16:h + 32] = swap(sys.argv[2].encode().ljust(16))
open(sys.argv[1], "wb").write(b)' "$@"
}
fresh_box() { rm -rf box && mkdir -p box/out/sub; }
absolute=/tmp/fpk$$  # at most 16 bytes
for target in ../evil.txt "$absolute" 'C:x' '\\srv\x' sub/../../x 'a:b' fw.bin:ads con NUL.txt lpt1.bin 'sub\..\..\x'; do
    retarget Bad.exe "$target"
    fresh_box
    run extract Bad.exe -C box/out
    shown="${target//\\/\\x5c}"  # as inspect escapes it
    check "extract refuses the target $target" eval '[ "$rc" -eq 1 ] && contains "$err" "\"$shown\" is refused" &&
        [ "$(cd box && find . | sort | tr "\n" " ")" = ". ./out ./out/sub " ] && [ ! -e "$absolute" ]'
    run inspect --json Bad.exe
    check "inspect --json flags the target $target" python3 -c '
import json, sys
r = json.loads(sys.argv[1])
assert r["target_name_allowed"] is False and r["target_name_refusal"].startswith("it "), r' "$out"
done
rm -f "$absolute"
run inspect Bad.exe
check "inspect flags a refused target" contains "$out" $'\ntarget name check  refused: it has a ".." component'
run inspect Up.exe
check "inspect passes an allowed target" contains "$out" $'\ntarget name check  allowed'

# Names that stay inside: packed as they are, extracted into an existing subfolder too.
for target in fw.bin sub/fw.bin a..b.bin; do
    run pack fw.bin -o Good.exe --target "$target"
    fresh_box
    run extract Good.exe -C box/out
    check "extract writes the target $target" eval '[ "$rc" -eq 0 ] && cmp -s fw.bin "box/out/$target"'
done

# --output: a file of the user's choosing, wherever it is; "-" is standard output, with the
# message on stderr so that only the firmware goes to stdout.
long="$(printf 'd%.0s' {1..120})"  # the path then outgrows the carrier's 128-byte buffers
fresh_box && mkdir "box/$long"
run extract Bad.exe -C box/out --output "../$long/mine.bin"
check "extract --output FILE" eval '[ "$rc" -eq 0 ] && cmp -s fw.bin "box/$long/mine.bin" && contains "$out" Success'
run extract Bad.exe --output - 2>/dev/null
check "extract --output -" eval '[ "$rc" -eq 0 ] && cmp -s fw.bin stdout && contains "$err" Success'

# --- Writes that cannot happen ------------------------------------------------------------
if can_deny_writes; then
    mkdir locked && cp Up.exe locked/Up.exe && chmod a-w locked
    run pack fw.bin -o locked/Up.exe --label NEW
    check "pack into a read-only folder leaves the old carrier alone" \
        eval '[ "$rc" -eq 3 ] && cmp -s Up.exe locked/Up.exe && [ "$(ls locked)" = Up.exe ]'
    mkdir ro && cp fw.bin ro/fw.bin && chmod a-w ro/fw.bin
    run extract Up.exe -C ro
    check "extract onto a read-only file" eval '[ "$rc" -eq 3 ] && contains "$err" "Check \"Read Only\"" && cmp -s fw.bin ro/fw.bin'
else
    echo "note: the read-only cases need an unprivileged user"
fi

# --- Code pages: typed Unicode stored as the carrier's users' Windows reads it --------------
# Wine decodes a Windows program's command line in the shell's locale, so only a UTF-8
# locale hands the Korean text over faithfully.
if ! $windows || [ "$(locale charmap)" = UTF-8 ]; then
    roundtrips=(
        "949|펌웨어|펌웨어.bin|c6dfbffebeee|c6dfbffebeee2e62696e"
        "1252|Ünïcødé|ñ.bin|dc6eef63f864e9|f12e62696e"
    )
    for row in "${roundtrips[@]}"; do
        IFS='|' read -r cp label target label_hex target_hex <<<"$row"
        run pack fw.bin -o Cp.exe --codepage "$cp" --label "$label" --target "$target"
        run inspect --json --codepage "$cp" Cp.exe
        check "code page $cp: stored bytes and decoded text" python3 -c '
import json, sys
r = json.loads(sys.argv[1])
assert [r[k] for k in ("label", "label_hex", "target_name", "target_name_hex")] == sys.argv[2:6], r
assert r["text_encoding"].startswith("code page " + sys.argv[6] + ":"), r' "$out" "$label" "$label_hex" "$target" "$target_hex" "$cp"
    done
    run inspect --codepage 1252 Cp.exe
    check "inspect --codepage shows the text" contains "$out" $'\nlabel              Ünïcødé\ntarget name        ñ.bin\n'

    # Status 2 and two words the message must hold.
    codepage_refusals=(
        "--codepage|raw|--label 펌웨어"
        "\"é\" (U+00E9)|code page 949|--codepage 949 --label 펌웨어é"
        "18 bytes long|code page 949|--codepage 949 --label 가나다라마바사아자"
    )
    for row in "${codepage_refusals[@]}"; do
        IFS='|' read -r word1 word2 args <<<"$row"
        # shellcheck disable=SC2086
        run pack fw.bin -o x.exe $args
        check "refuses: $args" eval '[ "$rc" -eq 2 ] && contains "$err" "$word1" && contains "$err" "$word2" && [ ! -e x.exe ]'
    done
else
    echo "note: the code page cases need a UTF-8 locale to reach a Windows program intact"
fi

# Bytes given exactly (raw), as Linux passes them; Windows would pass its ANSI code page.
if ! $windows; then
    run pack fw.bin -o Raw.exe --codepage raw --label 펌웨어
    run inspect --json Raw.exe
    check "--codepage raw stores the UTF-8 bytes" contains "$out" '"label_hex": "ed8e8cec9ba8ec96b4"'
    run inspect --json --codepage 949 Raw.exe
    check "JSON shows a byte that starts no character as U+FFFD" contains "$out" '"label": "�'
    run inspect --codepage 949 Raw.exe
    check "the terminal shows it as \xNN" contains "$out" 'label              \xed'
    run pack fw.bin -o x.exe --codepage 949 --label $'\xb0\xa1'
    check "refuses bytes that are not UTF-8" eval '[ "$rc" -eq 2 ] && contains "$err" "not UTF-8"'

    run pack fw.bin -o Latin.exe --codepage raw --label $'\xb0\xa1'
    run inspect --json Latin.exe
    check "8-bit label in JSON" eval 'contains "$out" "\"label_hex\": \"b0a1\"" && contains "$out" "\"label\": \"°¡\""'
    run inspect Latin.exe
    check "8-bit label escaped for the terminal" contains "$out" 'label              \xb0\xa1'
    cp Latin.exe $'\xe9.exe'
    run inspect --json $'\xe9.exe'
    check "inspect --json of a file name that is not UTF-8" eval '[ "$rc" -eq 0 ] && contains "$out" "\"carrier\": \"�.exe\""'
fi

# --- The same inputs give the same carrier, byte for byte ----------------------------------
run pack fw.bin -o Same.exe --label R1.0 --target same.bin
mv Same.exe First.exe
run pack fw.bin -o Same.exe --label R1.0 --target same.bin
check "pack twice gives identical carriers" eval '[ "$rc" -eq 0 ] && cmp -s First.exe Same.exe'

summary "firmpack cli"
