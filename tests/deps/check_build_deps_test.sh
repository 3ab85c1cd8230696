#!/usr/bin/env bash
# scripts/check-build-deps against the built tree: it passes with bootstrap's real list, and
# fails, naming the package, when bootstrap loses one the build reads or the build reads a
# file no package brings.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
check_deps="$root/scripts/check-build-deps"
work="$(realpath "$(mktemp -d)")"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

run_command "$check_deps"
check "passes with bootstrap's list" [ "$rc" -eq 0 ]
check "says what it read" contains "$out" " files read, from packages bootstrap brings: "
read_packages=" ${out##*: } "

# A package the check found the build reading, which nothing else in bootstrap pulls in.
taken=""
for candidate in libcli11-dev nlohmann-json3-dev osslsigncode lintian; do
    if contains "$read_packages" " $candidate "; then taken="$candidate"; break; fi
done
check "the build reads one of the leaf packages" [ -n "$taken" ]
if [ -n "$taken" ]; then
    sed -E "/packages=\(/,/\)/ s/(^|[[:space:]])$taken([[:space:]]|$)/\1\2/" \
        "$root/scripts/bootstrap" >bootstrap
    mentions() { grep -cw -- "$taken" "$1"; }
    check "the copy lost it" [ "$(mentions bootstrap)" -lt "$(mentions "$root/scripts/bootstrap")" ]
    run_command "$check_deps" --bootstrap "$work/bootstrap"
    check "fails without $taken" [ "$rc" -ne 0 ]
    check "names $taken, and only it" [ "$(grep -c . stdout)" -eq 1 ]
    check "says how to mend it" contains "$out" " comes from $taken, which bootstrap does not\
 install: add $taken to the packages in $work/bootstrap"
fi

# A build reading a header from a folder no package owns (as /usr/local would be).
mkdir -p elsewhere tiny
echo 'inline int answer() { return 42; }' >elsewhere/answer.h
printf '#include "answer.h"\nint main() { return answer(); }\n' >tiny/main.cpp
cat >tiny/build.ninja <<EOF
rule cxx
  command = c++ -I$work/elsewhere -MD -MF \$out.d -c \$in -o \$out
  depfile = \$out.d
  deps = gcc
build main.o: cxx $work/tiny/main.cpp
EOF
ninja -C tiny >/dev/null
run_command "$check_deps" "$work/tiny"
check "fails on a file of no package" [ "$rc" -ne 0 ]
check "names that file" contains "$out" "$work/elsewhere/answer.h belongs to no Debian package"
check "counts the build folder as ours" [ "$(grep -c "$work/tiny" stdout)" -eq 0 ]

summary check_build_deps_test
