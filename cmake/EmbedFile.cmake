# cmake -DINPUT=FILE -DOUTPUT=SOURCE -DNAME=SYMBOL -P EmbedFile.cmake: writes
# a C++ source that defines lumora::SYMBOL (the bytes of FILE) and
# lumora::SYMBOLSize (their count).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# 32 bytes a line, each as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.part"
  "// Generated from ${INPUT} by cmake/EmbedFile.cmake; do not edit.\n"
  "#include <cstddef>\n\nnamespace lumora {\n\n"
  "extern const unsigned char ${NAME}[] = {\n${bytes}};\n"
  "extern const size_t ${NAME}Size = ${size};\n\n}  // namespace lumora\n")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
