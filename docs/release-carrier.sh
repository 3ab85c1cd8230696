#!/usr/bin/env bash
# Packs, signs and verifies one firmware carrier for release: a recipe for a CI job.
# Inputs, as environment variables:
#   FIRMWARE_FILE    the firmware file to ship
#   FIRMWARE_LABEL   the label the carrier's caption shows
#   FIRMWARE_TARGET  the file name the carrier writes
#   CARRIER          the signed carrier to write (its name ends in .exe)
#   SIGNING_CERT     the code-signing certificate, PEM (its chain may follow it)
#   SIGNING_KEY      the certificate's private key, PEM
#   TIMESTAMP_URL    the RFC 3161 time-stamp server; set but empty: no timestamp
#   VERIFY_CA_FILE   the CA certificates (PEM) the signature must verify against
#   TSA_CA_FILE      optional: the time-stamp server's CA certificates (default VERIFY_CA_FILE)
#   FIRMPACK         optional: the firmpack command (default firmpack)
#   STUB_SHA256      optional: the stub's SHA-256 to pin (default the built-in stub's)
# On success only the signed carrier is left at CARRIER; on failure nothing is, and the
# status is not 0.
set -euo pipefail

fail() { echo "release-carrier: $*" >&2; exit 1; }
# A carrier left there by an earlier run would pass for this run's.
[ -z "${CARRIER:-}" ] || rm -f -- "$CARRIER"
for name in FIRMWARE_FILE FIRMWARE_LABEL FIRMWARE_TARGET CARRIER SIGNING_CERT SIGNING_KEY VERIFY_CA_FILE; do
    [ -n "${!name:-}" ] || fail "$name is not set"
done
[ -v TIMESTAMP_URL ] || fail "TIMESTAMP_URL is not set (set it empty to sign without a timestamp)"
firmpack="${FIRMPACK:-firmpack}"

# A hash command that fails stops the release here, whatever it printed.
hash_line="$(sha256sum <"$FIRMWARE_FILE")" || fail "cannot hash $FIRMWARE_FILE"
firmware_sha256="${hash_line%% *}"
[[ "$firmware_sha256" =~ ^[0-9a-f]{64}$ ]] || fail "no SHA-256 of $FIRMWARE_FILE in \"$hash_line\""
stub_sha256="${STUB_SHA256:-}"
if [ -z "$stub_sha256" ]; then
    version="$("$firmpack" --version)" || fail "$firmpack --version failed"
    [[ "$version" =~ \(stub\ sha256\ ([0-9a-f]{64})\)$ ]] || fail "no stub SHA-256 in \"$version\""
    stub_sha256="${BASH_REMATCH[1]}"
fi

# The carrier is made under its own file name, which it finds its package by and which pack
# and verify check the target name against, in a folder beside CARRIER: the finished
# carrier then moves into place in one step.
name="$(basename -- "$CARRIER")"
work="$(mktemp -d "$(dirname -- "$CARRIER")/.release-carrier.XXXXXX")"
trap 'rm -rf -- "$work"' EXIT
mkdir "$work/unsigned"
"$firmpack" pack "$FIRMWARE_FILE" --label "$FIRMWARE_LABEL" --target "$FIRMWARE_TARGET" -o "$work/unsigned/$name"

timestamp=() timestamp_ca=()
if [ -n "$TIMESTAMP_URL" ]; then
    timestamp=(-ts "$TIMESTAMP_URL") timestamp_ca=(-TSA-CAfile "${TSA_CA_FILE:-$VERIFY_CA_FILE}")
else
    echo "release-carrier: TIMESTAMP_URL is empty: signing without a timestamp; the signature will not verify once the certificate expires" >&2
fi
osslsigncode sign -certs "$SIGNING_CERT" -key "$SIGNING_KEY" -h sha256 "${timestamp[@]}" \
    -in "$work/unsigned/$name" -out "$work/$name"
osslsigncode verify -CAfile "$VERIFY_CA_FILE" "${timestamp_ca[@]}" -in "$work/$name"
"$firmpack" verify --sha256 "$firmware_sha256" --stub-sha256 "$stub_sha256" "$work/$name"

mv -f -- "$work/$name" "$CARRIER"
echo "release-carrier: $CARRIER packed, signed and verified (firmware SHA-256 $firmware_sha256)"
