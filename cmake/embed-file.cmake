# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=symbol -P embed-file.cmake
# Writes a C++ source defining `const unsigned char NAME[]` and `NAME##Size` with INPUT's bytes,
# and `NAME##Sha256`, their SHA-256 in hexadecimal, so that a build can name what it carries.
file(READ "${INPUT}" hex HEX)
file(SHA256 "${INPUT}" sha256)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char ${NAME}[] = {\n${bytes}};\n"
  "extern const std::size_t ${NAME}Size = ${size};\n"
  "extern const char ${NAME}Sha256[] = \"${sha256}\";\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
