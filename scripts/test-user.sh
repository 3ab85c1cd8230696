# Sourced by the test scripts: runs commands as an unprivileged user when invoked as root.
test_user=orvane-test
# Where bootstrap had Wine's 32-bit side emulated (a kernel without 32-bit support), qemu
# must not reserve the top of the address space: Wine's own reservation then takes a minute
# per process. 2 GiB is all a 32-bit program without large-address awareness uses.
export QEMU_RESERVED_VA=0x7fff0000

prepare_test_user() {
    local build="$1"
    mkdir -p "$build/test-home"
    [ "$(id -u)" -eq 0 ] || return 0
    id -u "$test_user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user"
    # The user must reach the build tree: open the search bit of any folder above it
    # that withholds it.
    local dir="$build"
    while [ "$dir" != / ]; do
        dir="$(dirname "$dir")"
        if ! runuser -u "$test_user" -- test -x "$dir"; then
            echo "run-tests: allowing $test_user to pass through $dir"
            chmod o+x "$dir"
        fi
    done
    # Not the fresh-check's Debian root: its files must stay root's.
    find "$build" -path "$build/fresh-root" -prune -o -exec chown -h "$test_user" {} +
    # Debian's Wine records its server folder in the prefix; one made by another user
    # (an earlier run as root) cannot be entered, so let Wine make a new one.
    local record server
    for record in "$build"/wineprefix*/wineserver; do
        [ -f "$record" ] || continue
        server="/tmp/$(cat "$record")"
        [ -d "$server" ] && [ "$(stat -c %U "$server")" = "$test_user" ] || rm -f "$record"
    done
}

as_test_user() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$test_user" -- env HOME="$root/build/test-home" "$@"
    else
        HOME="${HOME:-$root/build/test-home}" "$@"
    fi
}

# The window frames' glyphs (the close box's cross) come from the Marlett font of fonts-wine,
# which Wine's 32-bit side finds only in the prefix's own Fonts folder.
add_wine_glyphs() {
    as_test_user cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}
