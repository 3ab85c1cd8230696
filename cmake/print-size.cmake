# cmake -DFILE=path -P print-size.cmake: prints a built file's size and SHA-256, so that a
# rebuild can be compared with a shipped file at a glance.
file(SIZE "${FILE}" size)
math(EXPR kib "(${size} + 1023) / 1024")
file(SHA256 "${FILE}" sha256)
get_filename_component(name "${FILE}" NAME)
message(STATUS "${name}: ${size} bytes (${kib} KiB), SHA-256 ${sha256}")
