# Sourced by bootstrap and run-tests: qemu's user emulation registered with the kernel for
# i386 programs, so that Wine's 32-bit side runs where the kernel runs no 32-bit programs.
# binfmt_misc is consulted before the kernel's own loader, so once registered every 32-bit
# program runs emulated, also on a kernel that could run it natively.
qemu_i386_entry=/proc/sys/fs/binfmt_misc/qemu-i386

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

register_qemu_i386() {
    mountpoint -q /proc/sys/fs/binfmt_misc ||
        as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    [ -e "$qemu_i386_entry" ] ||
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
}

unregister_qemu_i386() {
    [ ! -e "$qemu_i386_entry" ] || echo -1 | as_root tee "$qemu_i386_entry" >/dev/null
}

# Whether Wine's 32-bit side runs under qemu here.
i386_emulated() {
    [ -e "$qemu_i386_entry" ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1
}
