# Sourced by the shell tests: runs commands and checks conditions, counting the results.
passed=0 failed=0
rc=0 out="" err=""

# Runs a command; leaves its status in $rc and its (CR-free) output in $out and $err.
run_command() {
    "$@" >stdout 2>stderr
    rc=$?
    out="$(tr -d '\r' <stdout)"
    err="$(tr -d '\r' <stderr)"
}

check() {  # check NAME CONDITION...
    local name="$1"; shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $name (status $rc)"
        echo "  stdout: $out"
        echo "  stderr: $err"
    fi
}

contains() { [[ "$1" == *"$2"* ]]; }

# The closing line, and the exit status: non-zero when any check failed.
summary() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
