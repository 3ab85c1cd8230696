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

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=OrvaneFirmUp test signer" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" \
    -keyout key.pem -out cert.pem 2>/dev/null || { echo "signing: cannot make a certificate"; exit 1; }
python3 -c 'import random; open("fw.bin", "wb").write(random.Random(11).randbytes(150001))'
fw_sum="$(sha256sum <fw.bin | cut -d' ' -f1)"
"$firmpack" pack fw.bin -o X.exe --label "$label" --target "$target" >/dev/null &&
    "$firmpack" pack fw.bin -o NoAlign.exe --label "$label" --target "$target" --no-align >/dev/null &&
    osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in X.exe -out S.exe >/dev/null  # no timestamp: offline
check "pack, pack --no-align and sign" [ $? -eq 0 ]
# One payload byte flipped after signing, in the middle of the payload.
python3 -c '
import json, sys
r = json.loads(sys.argv[1])
b = bytearray(open("S.exe", "rb").read())
b[r["header_position"] + 42 + r["payload_length"] // 2] ^= 0x01
open("Flipped.exe", "wb").write(b)' "$("$firmpack" inspect --json S.exe)"

run_command osslsigncode verify -CAfile cert.pem -in S.exe
check "osslsigncode verifies the signed carrier" eval '[ "$rc" -eq 0 ] && contains "$out" "Signature verification: ok"'
run_command osslsigncode verify -CAfile cert.pem -in Flipped.exe
check "osslsigncode rejects a flipped payload byte" [ "$rc" -ne 0 ]

# Packed for signing, the carrier ends on an 8-byte boundary, so the signer appends its table
# right behind it; --no-align keeps the exact layout. Signing changes nothing else.
run_command python3 -c '
import json, sys
x, s, n = (json.loads(a) for a in sys.argv[1:4])
same = ("label", "target_name", "payload_length", "payload_sha256", "header_position", "verdict")
assert all(x[k] == s[k] for k in same) and s["verdict"] == "Extracted" and s["payload_sha256"] == sys.argv[4], (x, s)
assert x["signature_offset"] is None and x["file_size"] % 8 == 0 and s["signature_offset"] == x["file_size"], (x, s)
assert s["signature_offset"] + s["signature_size"] == s["file_size"], s
assert n["file_size"] == n["header_position"] + 42 + n["payload_length"] + 20 and n["verdict"] == "Extracted", n' \
    "$("$firmpack" inspect --json X.exe)" "$("$firmpack" inspect --json S.exe)" "$("$firmpack" inspect --json NoAlign.exe)" "$fw_sum"
check "inspect --json: signed, unsigned and --no-align carriers agree" [ "$rc" -eq 0 ]
# carrier | firmpack verify arguments | status
for row in "S.exe|--sha256 $fw_sum|0" "Flipped.exe||1"; do
    IFS='|' read -r carrier args status <<<"$row"
    run_command "$firmpack" verify $args "$carrier"
    check "verify $args $carrier: status $status" [ "$rc" -eq "$status" ]
done

# The carrier under Wine, started from its own folder: carrier | message box text | target written
for row in "S.exe|Firmware Upgrade file Success !!!|yes" "Flipped.exe|Warning : Firmware Upgrade file Fail !!!|no"; do
    IFS='|' read -r carrier message written <<<"$row"
    folder="wine-${carrier%.exe}"
    mkdir -p "$folder/shots" && cp "$carrier" "$folder/"
    run_command eval '(cd "$folder" && "$wine_run" "$driver" "$carrier" . shots)'
    check "$carrier under Wine: \"$message\"" eval '[ "$rc" -eq 0 ] && contains "$out" "Message box text: $message"'
    expected="$carrier shots"
    [ "$written" = yes ] && expected="$carrier shots $target" && check "$carrier writes the firmware" cmp -s fw.bin "$folder/$target"
    check "$carrier under Wine leaves just $expected" [ "$(ls -A "$folder" | LC_ALL=C sort | xargs)" = "$(printf '%s\n' $expected | LC_ALL=C sort | xargs)" ]
done

summary "signing"
