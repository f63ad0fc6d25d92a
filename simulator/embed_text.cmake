# Turns a text file into a C++ source that returns it as a string_view, so that the
# built-in default bus is always the text of simulator/default.bus.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DFUNCTION=name -P embed_text.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${source} at build time.\n"
  "#include <string_view>\n"
  "namespace sim {\n"
  "namespace {\n"
  "const char kText[] = {${bytes} 0};\n"
  "}  // namespace\n"
  "std::string_view ${FUNCTION}() { return {kText, sizeof kText - 1}; }\n"
  "}  // namespace sim\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
