#!/usr/bin/env bash
# A carrier on a vendor's own stub, signed after packing, as vendors ship it: the signature verifies, firmpack
# reads the package in front of the certificate table and pins the stub, and the carrier still writes its firmware
# under Wine; a flipped payload byte breaks signature and package.
# Usage: signing_test.sh FIRMPACK STUB DEMO_DRIVER.exe WINE_RUNNER
firmpack="$1" stub="$2" driver="$3" wine_run="$4"
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
target=sigfw.bin

signing_certificate
random_file fw.bin 150001  # an odd size: the carrier then needs padding to end on 8 bytes
"$firmpack" pack fw.bin --stub "$stub" -o X.exe --label SIG_2.0.7 --target "$target" >/dev/null &&
    "$firmpack" pack fw.bin --stub "$stub" -o NoAlign.exe --label SIG_2.0.7 --target "$target" --no-align >/dev/null &&
    osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in X.exe -out S.exe >/dev/null  # no timestamp: offline
check "pack, pack --no-align and sign" [ $? -eq 0 ]

# Packed for signing, the carrier ends on an 8-byte boundary, so the signer appends its table
# right behind it, and firmpack finds the package in front of it; --no-align leaves that out.
unsigned="$(stat -c %s X.exe)"
check "--no-align leaves the padding out" [ "$(stat -c %s NoAlign.exe)" -lt "$unsigned" ]
# Signed, a --no-align carrier gets the signer's zero padding in front of the table, which shifts
# the trailer the carrier reads: it keeps its package while the padding fits in the zeros in front
# of the header position's digits, and loses it one byte beyond.
header="$(sed -n 's/^header position *//p' <<<"$("$firmpack" inspect X.exe)")"
for pad in $((10 - ${#header})) $((11 - ${#header})); do
    size=$((150001 + (16 - pad - $(stat -c %s NoAlign.exe) % 8) % 8))
    random_file fw$pad.bin $size && "$firmpack" pack fw$pad.bin -o N$pad.exe --no-align >/dev/null &&
        osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in N$pad.exe -out SN$pad.exe >/dev/null
    run "$firmpack" verify SN$pad.exe && status=$rc && run "$firmpack" inspect --json SN$pad.exe
    check "--no-align, signed with $pad bytes of padding: verify status $((pad > 10 - ${#header}))" \
        same "$status $(($(json signature_offset) - $(stat -c %s N$pad.exe)))" "$((pad > 10 - ${#header})) $pad"
done
run "$firmpack" inspect --json S.exe
check "inspect --json reads the signed carrier" \
    same "$(json label target_name payload_sha256 verdict signature_offset signature_size)" \
    "SIG_2.0.7 $target $(sha256 fw.bin) Extracted $unsigned $(($(stat -c %s S.exe) - unsigned))"
edit S.exe Flipped.exe "b[$(json header_position) + 42 + $(json payload_length) // 2] ^= 1"  # mid-payload

run osslsigncode verify -CAfile cert.pem -in S.exe
check "osslsigncode verifies the signed carrier" eval '[ "$rc" -eq 0 ] && has "$out" "Signature verification: ok"'
run osslsigncode verify -CAfile cert.pem -in Flipped.exe
check "osslsigncode rejects a flipped payload byte" [ "$rc" -ne 0 ]
run "$firmpack" verify Flipped.exe
check "firmpack verify fails on the flipped byte" [ "$rc" -eq 1 ]
run "$firmpack" verify --stub-sha256 "$(sha256 "$stub")" S.exe  # signing rewrote two of its header fields
check "verify --stub-sha256 pins the vendor's stub" [ "$rc" -eq 0 ]
run "$firmpack" verify --stub-sha256 "$("$firmpack" --version | grep -o '[0-9a-f]\{64\}')" S.exe
check "verify --stub-sha256 of the stub built into firmpack fails" [ "$rc" -eq 1 ]

# The signed carrier under Wine, started from its own folder (a damaged one is the end-to-end tests').
mkdir -p wine/shots && cp S.exe wine/
run eval '(cd wine && "$wine_run" "$driver" S.exe . shots)'
check "the signed carrier writes the firmware under Wine" eval '[ "$rc" -eq 0 ] &&
    has "$out" "Message box text: Firmware Upgrade file Success !!!" &&
    same "$(LC_ALL=C ls -A wine | xargs)" "S.exe shots $target" && cmp -s fw.bin "wine/$target"'

summary "signing"
