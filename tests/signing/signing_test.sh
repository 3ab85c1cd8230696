#!/usr/bin/env bash
# A carrier signed after packing, as vendors ship it: the signature verifies, firmpack reads
# the package in front of the certificate table, and the carrier still writes its firmware
# under Wine. A flipped payload byte breaks both the signature and the package.
# Usage: signing_test.sh FIRMPACK DEMO_DRIVER.exe WINE_RUNNER
# Needs a display and a Wine prefix (DISPLAY and WINEPREFIX, as run-tests sets them).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

firmpack="$1" driver="$2" wine_run="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
label=SIG_2.0.7 target=sigfw.bin

run() { run_command "$@"; }
json() { "$firmpack" inspect --json "$1"; }
field() {  # field CARRIER KEY: one value of inspect --json, as Python prints it
    json "$1" | python3 -c 'import json, sys; print(json.load(sys.stdin)[sys.argv[1]])' "$2"
}
size() { stat -c %s "$1"; }
sha256() { sha256sum <"$1" | cut -d' ' -f1; }
sorted() { printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' '; }
sign() {  # sign IN OUT, without a timestamp server: the tests run offline
    osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in "$1" -out "$2" >/dev/null
}

# --- A throw-away code-signing certificate and a sample firmware -------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=OrvaneFirmUp test signer" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" \
    -keyout key.pem -out cert.pem 2>/dev/null || { echo "signing: cannot make a certificate"; exit 1; }
python3 -c 'import random; open("fw.bin", "wb").write(random.Random(11).randbytes(150001))'
fw_sum="$(sha256 fw.bin)"

run "$firmpack" pack fw.bin -o X.exe --label "$label" --target "$target"
check "pack" [ "$rc" -eq 0 ]
run "$firmpack" pack fw.bin -o NoAlign.exe --label "$label" --target "$target" --no-align
check "pack --no-align" [ "$rc" -eq 0 ]
run sign X.exe S.exe
check "osslsigncode signs the carrier" [ "$rc" -eq 0 ]
# One payload byte flipped after signing, in the middle of the payload.
python3 -c '
import json, sys
r = json.loads(sys.argv[1])
b = bytearray(open("S.exe", "rb").read())
b[r["header_position"] + 42 + r["payload_length"] // 2] ^= 0x01
open("Flipped.exe", "wb").write(b)' "$(json S.exe)"

echo "unsigned carrier  $(size X.exe) bytes (--no-align: $(size NoAlign.exe) bytes)"
echo "signed carrier    $(size S.exe) bytes, signature $(field S.exe signature_size) bytes at $(field S.exe signature_offset)"

# --- The signature ---------------------------------------------------------------------
run osslsigncode verify -CAfile cert.pem -in S.exe
check "osslsigncode verifies the signed carrier" eval '[ "$rc" -eq 0 ] && contains "$out" "Signature verification: ok"'
run osslsigncode verify -CAfile cert.pem -in Flipped.exe
check "osslsigncode rejects a flipped payload byte" [ "$rc" -ne 0 ]

# --- What firmpack reads ---------------------------------------------------------------
# The signed carrier holds what the unsigned one holds; only the signature fields differ.
run python3 -c '
import json, sys
x, s, n = (json.loads(a) for a in sys.argv[1:4])
size, fw = int(sys.argv[4]), sys.argv[5]
same = ("label", "target_name", "payload_length", "payload_sha256", "header_position", "verdict")
assert all(x[k] == s[k] for k in same), (x, s)
assert (s["label"], s["target_name"], s["payload_sha256"], s["verdict"]) == (sys.argv[6], sys.argv[7], fw, "Extracted"), s
assert x["signature_offset"] is None and x["signature_size"] is None, x
assert n["signature_offset"] is None and n["payload_sha256"] == fw and n["verdict"] == "Extracted", n
# Packed for signing, the carrier ends on an 8-byte boundary, so the signer appends its table
# right behind it; --no-align keeps the exact layout.
assert x["file_size"] % 8 == 0 and s["signature_offset"] == x["file_size"], (x, s)
assert s["signature_offset"] + s["signature_size"] == s["file_size"], s
assert n["file_size"] == n["header_position"] + 42 + n["payload_length"] + 20, n' \
    "$(json X.exe)" "$(json S.exe)" "$(json NoAlign.exe)" "$(size X.exe)" "$fw_sum" "$label" "$target"
check "inspect --json: signed, unsigned and --no-align carriers agree" [ "$rc" -eq 0 ]
run "$firmpack" inspect S.exe
check "inspect names the signature" eval '[ "$rc" -eq 0 ] && contains "$out" "$(field S.exe signature_size) bytes at"'

wrong_sum="$(printf '%s' "$fw_sum" | tr 0-9a-f 1-9a-f0)"
# carrier | firmpack verify arguments | status
verifications=(
    "S.exe||0"
    "S.exe|--sha256 $fw_sum|0"
    "S.exe|--sha256 ${fw_sum^^}|0"
    "S.exe|--sha256 $wrong_sum|1"
    "Flipped.exe||1"
    "Flipped.exe|--sha256 $fw_sum|1"
    "NoAlign.exe|--sha256 $fw_sum|0"
)
for row in "${verifications[@]}"; do
    IFS='|' read -r carrier args status <<<"$row"
    # shellcheck disable=SC2086
    run "$firmpack" verify $args "$carrier"
    check "verify $args $carrier: status $status" [ "$rc" -eq "$status" ]
done

for carrier in S.exe NoAlign.exe; do
    mkdir "out-$carrier"
    run "$firmpack" extract "$carrier" -C "out-$carrier"
    check "extract $carrier writes the firmware" eval '[ "$rc" -eq 0 ] && cmp -s fw.bin "out-$carrier/$target"'
done

# --- The carrier under Wine, started from its own folder -------------------------------
# carrier | message box text | what the folder holds afterwards
carriers=(
    "S.exe|Firmware Upgrade file Success !!!|written"
    "Flipped.exe|Warning : Firmware Upgrade file Fail !!!|nothing"
    "X.exe|Firmware Upgrade file Success !!!|written"
    "NoAlign.exe|Firmware Upgrade file Success !!!|written"
)
for row in "${carriers[@]}"; do
    IFS='|' read -r carrier message outcome <<<"$row"
    folder="wine-${carrier%.exe}"
    mkdir -p "$folder/shots" && cp "$carrier" "$folder/"
    (cd "$folder" && "$wine_run" "$driver" "$carrier" . shots >../stdout 2>../stderr)
    rc=$?
    out="$(tr -d '\r' <stdout)" err="$(tr -d '\r' <stderr)"
    check "$carrier under Wine: caption" contains "$out" "Dialog caption: Orvane Firmware Upgrade - $label < $target > "
    check "$carrier under Wine: \"$message\"" eval '[ "$rc" -eq 0 ] && contains "$out" "Message box text: $message"'
    files="$carrier shots"
    [ "$outcome" = written ] && files="$files $target"
    # shellcheck disable=SC2046,SC2086
    check "$carrier under Wine leaves just $files" [ "$(sorted $(ls -A "$folder"))" = "$(sorted $files)" ]
    if [ "$outcome" = written ]; then
        check "$carrier under Wine writes the firmware" cmp -s fw.bin "$folder/$target"
    fi
done

summary "signing"
