# Writes a C++ source that embeds one binary image.
# Run as: cmake -DIMAGE=<file> -DOUTPUT=<file.cpp> -DNAME=<name> -DHEADER=<header> -P VimoEmbed.cmake

foreach(var IMAGE OUTPUT NAME HEADER)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "VimoEmbed.cmake: ${var} is not set")
    endif()
endforeach()

file(READ "${IMAGE}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")

if(size EQUAL 0)
    # An empty image still needs an array of one element; the span is empty.
    set(bytes "0x00")
else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Sixteen bytes a line.
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
endif()

file(WRITE "${OUTPUT}.tmp"
"// Generated from ${IMAGE}; do not edit.\n\
#include \"${HEADER}\"\n\
\n\
namespace vimo::programs {\n\
namespace {\n\
alignas(4) constexpr uint8_t kImage[] = {\n    ${bytes}\n};\n\
}  // namespace\n\
\n\
std::span<const uint8_t> ${NAME}() { return {kImage, ${size}u}; }\n\
\n\
}  // namespace vimo::programs\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
