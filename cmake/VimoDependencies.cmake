# Third-party libraries.
#
# Whatever the build, two INTERFACE targets name the archive libraries the
# core uses, so a subsystem links them the same way in every build:
#   vimo_zlib     zlib (inflate)
#   vimo_minizip  minizip's unzip side; include it as <unzip.h> (or
#                 <minizip/unzip.h>)
#
# Native builds take everything from Debian's packages. The mingw cross build
# compiles zlib and minizip's unzip sources from Debian's zlib source package,
# which scripts/setup.sh unpacks into build/third_party/zlib.

add_library(vimo_zlib INTERFACE)
add_library(vimo_minizip INTERFACE)

if(VIMO_NATIVE)
    find_package(GTest REQUIRED)
    find_package(ZLIB REQUIRED)
    find_package(PNG REQUIRED)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
    find_package(benchmark QUIET)
    if(NOT benchmark_FOUND)
        message(STATUS "Google Benchmark not found: bench/ is skipped")
    endif()

    target_link_libraries(vimo_zlib INTERFACE ZLIB::ZLIB)
    target_link_libraries(vimo_minizip INTERFACE PkgConfig::MINIZIP vimo_zlib)
    # Debian's pkg-config file points at /usr/include/minizip, so <unzip.h>
    # works; <minizip/unzip.h> works through /usr/include.
else()
    include(VimoMingwThirdParty)
    target_link_libraries(vimo_zlib INTERFACE vimo_mingw_zlib)
    target_link_libraries(vimo_minizip INTERFACE vimo_mingw_minizip)
endif()
