#!/usr/bin/env bash
# scripts/check-build-deps against the built tree: it passes with bootstrap's real list, and
# fails, naming the package, when bootstrap loses one the build reads or the build reads a
# file no package brings.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
check_deps="$root/scripts/check-build-deps"
source "$root/tests/support/checks.sh"

run "$check_deps"
check "passes with bootstrap's list, saying what it read" \
    eval '[ "$rc" -eq 0 ] && has "$out" " files read, from packages bootstrap brings: "'
# A package the build reads that nothing else in bootstrap pulls in, taken out of a copy.
taken="$(tr ' ' '\n' <<<"${out##*: }" | grep -xE 'libcli11-dev|nlohmann-json3-dev|osslsigncode|lintian' | head -n 1)"
sed -E "/packages=\(/,/\)/ s/(^|[[:space:]])$taken([[:space:]]|$)/\1\2/" "$root/scripts/bootstrap" >bootstrap
run "$check_deps" --bootstrap "$work/bootstrap"
check "fails without ${taken:-a leaf package}, naming only it and how to mend it" eval '[ "$rc" -ne 0 ] && [ -n "$taken" ] &&
    same "$(grep -c . stdout)" 1 &&
    has "$out" " comes from $taken, which bootstrap does not install: add $taken to the packages in $work/bootstrap"'

# A build reading a header from a folder no package owns (as /usr/local would be).
mkdir -p elsewhere tiny && echo 'inline int answer() { return 42; }' >elsewhere/answer.h
printf '#include "%s"\nint main() { return answer(); }\n' "$work/elsewhere/answer.h" >tiny/main.cpp
printf 'rule cxx\n  command = c++ -MD -MF $out.d -c $in -o $out\n  depfile = $out.d\n  deps = gcc\nbuild main.o: cxx %s\n' \
    "$work/tiny/main.cpp" >tiny/build.ninja && ninja -C tiny >/dev/null
run "$check_deps" "$work/tiny"
check "fails on a file of no package, naming it, not the build's own" eval '[ "$rc" -ne 0 ] &&
    has "$out" "$work/elsewhere/answer.h belongs to no Debian package" && ! grep -q "$work/tiny" stdout'

summary check_build_deps_test
