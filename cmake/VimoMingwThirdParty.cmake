# zlib and minizip's unzip side for the mingw cross build, compiled from
# Debian's zlib source package. scripts/setup.sh unpacks it into
# build/third_party/zlib; nothing of it is committed. Provides the static
# libraries vimo_mingw_zlib and vimo_mingw_minizip.

set(VIMO_THIRD_PARTY_DIR "${PROJECT_SOURCE_DIR}/build/third_party" CACHE PATH
    "Where scripts/setup.sh keeps third-party sources")
set(_zlib "${VIMO_THIRD_PARTY_DIR}/zlib")
set(_minizip "${_zlib}/contrib/minizip")

if(NOT EXISTS "${_zlib}/zlib.h" OR NOT EXISTS "${_minizip}/unzip.c")
    message(FATAL_ERROR
        "The zlib sources for the Windows build are missing from ${_zlib}.\n"
        "Run scripts/setup.sh, which fetches them (apt-get source zlib).")
endif()

# zlib, static. Only what inflating zip entries and minizip need, plus the
# rest of the library's small C files so the usual zlib API is complete.
add_library(vimo_mingw_zlib STATIC
    "${_zlib}/adler32.c" "${_zlib}/compress.c" "${_zlib}/crc32.c" "${_zlib}/deflate.c"
    "${_zlib}/gzclose.c" "${_zlib}/gzlib.c" "${_zlib}/gzread.c" "${_zlib}/gzwrite.c"
    "${_zlib}/infback.c" "${_zlib}/inffast.c" "${_zlib}/inflate.c" "${_zlib}/inftrees.c"
    "${_zlib}/trees.c" "${_zlib}/uncompr.c" "${_zlib}/zutil.c")
target_include_directories(vimo_mingw_zlib SYSTEM PUBLIC "${_zlib}")
# Third-party code: not held to the project's warning flags.
target_compile_options(vimo_mingw_zlib PRIVATE -w)

# minizip's headers under include/minizip/ as well as on their own, so code
# writes <unzip.h> or <minizip/unzip.h> in both the native and cross builds.
set(_minizip_include "${CMAKE_BINARY_DIR}/third_party/include")
file(MAKE_DIRECTORY "${_minizip_include}/minizip")
foreach(_header unzip.h ioapi.h iowin32.h crypt.h)
    file(COPY_FILE "${_minizip}/${_header}" "${_minizip_include}/minizip/${_header}" ONLY_IF_DIFFERENT)
endforeach()

add_library(vimo_mingw_minizip STATIC
    "${_minizip}/unzip.c" "${_minizip}/ioapi.c" "${_minizip}/iowin32.c")
target_include_directories(vimo_mingw_minizip SYSTEM PUBLIC
    "${_minizip_include}" "${_minizip_include}/minizip")
target_compile_options(vimo_mingw_minizip PRIVATE -w)
target_link_libraries(vimo_mingw_minizip PUBLIC vimo_mingw_zlib)
