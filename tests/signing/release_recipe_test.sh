#!/usr/bin/env bash
# docs/release-carrier.sh, the recipe README shows, run offline with a self-made certificate: it
# leaves a signed carrier that verifies, or fails and leaves nothing at its output.
# Usage: release_recipe_test.sh FIRMPACK
firmpack="$1" root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/support/checks.sh"
recipe="$root/docs/release-carrier.sh"
check "README holds the recipe byte for byte" python3 -c 'import sys; readme, recipe = (open(f, "rb").read() for f in sys.argv[1:])
sys.exit(b"```bash\n" + recipe + b"```\n" not in readme)' "$root/README.md" "$recipe"

signing_certificate
random_file fw.bin 4099 && mkdir fakebin out
printf '#!/bin/sh\n/usr/bin/sha256sum "$@"; exit 1\n' >fakebin/sha256sum && chmod +x fakebin/sha256sum  # prints, then fails
export FIRMWARE_FILE=fw.bin FIRMWARE_LABEL=REL_1.0 FIRMWARE_TARGET=relfw.bin CARRIER=out/Release.exe \
    SIGNING_CERT=cert.pem SIGNING_KEY=key.pem TIMESTAMP_URL= VERIFY_CA_FILE=cert.pem FIRMPACK="$firmpack"

# name | what the row changes. A carrier from an earlier run waits at the output each time.
for row in "signed|" "missing firmware|FIRMWARE_FILE=absent.bin" "wrong stub pin|STUB_SHA256=$(printf %064d 0)" \
    "unset variable|-u SIGNING_KEY" "failing hash command|PATH=$PWD/fakebin:$PATH"; do
    IFS='|' read -r name change <<<"$row"
    echo stale >out/Release.exe
    run env $change "$recipe"
    [ "$name" = signed ] || { check "$name: fails, leaving nothing" eval '[ "$rc" -ne 0 ] && same "$(ls -A out)" ""'; continue; }
    check "signed without a timestamp, only the carrier left" eval '[ "$rc" -eq 0 ] && has "$err" "without a timestamp" &&
        same "$(ls -A out)" Release.exe'
    run "$firmpack" inspect --json out/Release.exe
    check "the carrier holds the firmware and a signature" eval 'same "$(json payload_sha256)" "$(sha256 fw.bin)" &&
        [ "$(json signature_size)" -gt 0 ]'
done
summary "release recipe"
