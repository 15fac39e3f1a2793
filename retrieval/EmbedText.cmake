# Writes the header OUTPUT that holds the bytes of the file INPUT as the character array NAME
# (with a NUL after them), so that the program carries a copy of a file of the tree.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${hex}")
get_filename_component(source ${INPUT} NAME)
file(WRITE ${OUTPUT}.new "// Made by the build from ${source}; edit that file instead.
#pragma once

namespace retrieval {

inline constexpr char ${NAME}[] = {${bytes}'\\0'};

} // namespace retrieval
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
