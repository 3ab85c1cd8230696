# Sourced by the shell suites: a scratch folder to work in, commands run with their results
# kept, checks counted; summary ends the suite, failing when any check failed.
set -uo pipefail
passed=0 failed=0 rc=0 out="" err=""
work="$(realpath "$(mktemp -d)")"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1

# run COMMAND...: its status in $rc, its output in $out and $err (without Wine's CRs or NULs).
run() { "$@" </dev/null >stdout 2>stderr; rc=$?; out="$(tr -d '\r\0' <stdout)"; err="$(tr -d '\r' <stderr)"; }

check() {  # check NAME CONDITION...: on failure, shows the last run too
    if "${@:2}"; then passed=$((passed + 1)); return; fi
    failed=$((failed + 1))
    printf 'FAIL: %s (status %s)\n  stdout: %s\n  stderr: %s\n' "$1" "$rc" "$out" "$err"
}
has() { [[ "$1" == *"$2"* ]]; }
same() { [ "$1" = "$2" ] || { printf '  got:      %s\n  expected: %s\n' "$1" "$2"; false; }; }

# json KEY...: those fields of the JSON object in $out, as Python prints them.
json() { python3 -c 'import json, sys; r = json.loads(sys.argv[1]); print(*(r[k] for k in sys.argv[2:]))' "$out" "$@"; }
# edit IN OUT CODE [ARG]: OUT gets IN's bytes b, changed by the Python CODE (which may use arg).
edit() { python3 -c "import sys; b = bytearray(open(sys.argv[1], 'rb').read()); arg = sys.argv[3]; $3
open(sys.argv[2], 'wb').write(b)" "$1" "$2" "${4-}"; }
random_file() { python3 -c 'import random, sys; open(sys.argv[1], "wb").write(random.Random(7).randbytes(int(sys.argv[2])))' "$@"; }
sha256() { sha256sum "$1" | cut -d' ' -f1; }
signing_certificate() {  # cert.pem and key.pem, self-made for code signing: signing works offline
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=OrvaneFirmUp test signer" -keyout key.pem -out cert.pem \
        -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature 2>/dev/null || { echo "no certificate"; exit 1; }; }

summary() { echo "$1: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; }
