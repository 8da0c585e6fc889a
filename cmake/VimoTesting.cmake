# Test helpers for native builds.
#
#   vimo_add_test(<name> SOURCES <file>... [LIBS <target>...])
#       A GoogleTest executable linked with gtest_main. Each of its cases is
#       registered with ctest (gtest_discover_tests), in every native build.
#
#   vimo_add_long_test(<name> SOURCES <file>... [LIBS <target>...])
#       An executable that is always built (so it stays compilable and
#       warning-free) but registered as ONE ctest test called <name>, label
#       "long", only when VIMO_LONG_TESTS is ON. It may use GoogleTest (it is
#       linked with gtest and gtest_main) or bring its own main().
#
#   vimo_add_m68k_programs(<target> SOURCES <file.s>... [DEPENDS <file>...])
#       Assembles each 68000 source at build time (m68k-linux-gnu-as -m68000,
#       m68k-linux-gnu-ld with tests/programs/m68k.ld, which places .text at
#       address 0, then objcopy -O binary) and embeds every image in the
#       static library <target>. Its generated header "<target>.h" declares,
#       for a source called name.s,
#           std::span<const uint8_t> vimo::programs::name();
#       returning the image in 68000 (big-endian) byte order, first byte at
#       address 0. DEPENDS lists files the sources include (.include), so a
#       change to them reassembles.
#
#   vimo_add_z80_programs(<target> SOURCES <file.asm>... [DEPENDS <file>...])
#       The same for Z80 sources, assembled with z80asm into a raw image
#       (the origin is whatever the source's "org" says; the image's first
#       byte is the first byte the source emits).
#
# Relative source paths are taken from the calling CMakeLists.txt's folder.
# VIMO_PROGRAMS_DIR names tests/programs/, where test programs live.
# Program names (the source's base name, with characters that cannot appear
# in a C++ name replaced by '_') must be unique across the project.
#
# Every test target gets VIMO_TESTDATA_DIR="<project root>/../shared/testdata"
# and VIMO_SOURCE_DIR="<project root>". When found, VIMO_M68K_OBJDUMP is defined
# as the path of m68k-linux-gnu-objdump (for tests that cross-check a decoder).

include(GoogleTest)
include(VimoM68kImages)

set(VIMO_TESTDATA_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata")
cmake_path(NORMAL_PATH VIMO_TESTDATA_DIR)

find_program(VIMO_M68K_OBJDUMP m68k-linux-gnu-objdump)
find_program(VIMO_Z80ASM z80asm)

# Settings shared by every test executable.
function(_vimo_test_target_setup target)
    target_compile_definitions(${target} PRIVATE
        VIMO_TESTDATA_DIR="${VIMO_TESTDATA_DIR}"
        VIMO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(VIMO_M68K_OBJDUMP)
        target_compile_definitions(${target} PRIVATE VIMO_M68K_OBJDUMP="${VIMO_M68K_OBJDUMP}")
    endif()
    target_link_libraries(${target} PRIVATE vimo_core_options GTest::gtest GTest::gtest_main)
endfunction()

# The executable of a test: its sources, libraries and the shared settings.
function(_vimo_add_test_executable kind name)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "SOURCES;LIBS")
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "${kind}(${name}): SOURCES is empty")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    _vimo_test_target_setup(${name})
endfunction()

function(vimo_add_test name)
    _vimo_add_test_executable(vimo_add_test ${ARGV})
    # Listing the cases when ctest runs (not after each link) keeps a broken
    # test binary from failing the build of everything else.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES LABELS unit)
endfunction()

function(vimo_add_long_test name)
    _vimo_add_test_executable(vimo_add_long_test ${ARGV})
    if(VIMO_LONG_TESTS)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS long TIMEOUT 1800)
    endif()
endfunction()

# ---- the test-program kit --------------------------------------------------

# A C++ name for a program: its source's base name with every character that
# cannot appear in a name replaced by '_' (and a leading digit prefixed).
function(_vimo_program_name source out_var)
    get_filename_component(base "${source}" NAME_WE)
    string(MAKE_C_IDENTIFIER "${base}" name)
    set(${out_var} "${name}" PARENT_SCOPE)
endfunction()

# Records a program name project-wide and refuses a second program of that
# name: all of them share the namespace vimo::programs.
function(_vimo_claim_program_name name source)
    get_property(owner GLOBAL PROPERTY VIMO_PROGRAM_OWNER_${name})
    if(owner)
        message(FATAL_ERROR "Test program name '${name}' (${source}) is already used by ${owner}")
    endif()
    set_property(GLOBAL PROPERTY VIMO_PROGRAM_OWNER_${name} "${source}")
endfunction()

# Embeds the images and writes the header; shared by both assemblers.
#   target      the library to create
#   names       list of program names
#   images      list of image files (same order)
function(_vimo_embed_programs target names images)
    set(gen_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_generated")
    set(embedded_sources)
    set(declarations)
    foreach(name image IN ZIP_LISTS names images)
        set(cpp "${gen_dir}/${name}.cpp")
        add_custom_command(
            OUTPUT "${cpp}"
            COMMAND "${CMAKE_COMMAND}" -DIMAGE=${image} -DOUTPUT=${cpp} -DNAME=${name}
                    -DHEADER=${target}.h -P "${PROJECT_SOURCE_DIR}/cmake/VimoEmbed.cmake"
            DEPENDS "${image}" "${PROJECT_SOURCE_DIR}/cmake/VimoEmbed.cmake"
            COMMENT "Embedding test program ${name}"
            VERBATIM)
        list(APPEND embedded_sources "${cpp}")
        string(APPEND declarations "std::span<const uint8_t> ${name}();\n")
    endforeach()

    set(header_text
"// Generated by vimo_add_*_programs: test programs assembled at build time.\n\
#pragma once\n\
\n\
#include <cstdint>\n\
#include <span>\n\
\n\
namespace vimo::programs {\n\
\n\
${declarations}\n\
}  // namespace vimo::programs\n")
    file(CONFIGURE OUTPUT "${gen_dir}/${target}.h" CONTENT "${header_text}" @ONLY)

    add_library(${target} STATIC ${embedded_sources})
    target_include_directories(${target} PUBLIC "${gen_dir}")
    target_link_libraries(${target} PUBLIC vimo_core_options)
endfunction()

function(vimo_add_m68k_programs target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;DEPENDS")
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "vimo_add_m68k_programs(${target}): SOURCES is empty")
    endif()
    set(work_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_images")
    file(MAKE_DIRECTORY "${work_dir}")
    set(names)
    set(images)
    foreach(source IN LISTS ARG_SOURCES)
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
        _vimo_program_name("${source}" name)
        _vimo_claim_program_name(${name} "${source}")
        set(image "${work_dir}/${name}.bin")
        vimo_assemble_m68k("${source}" "${image}" DEPENDS ${ARG_DEPENDS})
        list(APPEND names ${name})
        list(APPEND images "${image}")
    endforeach()
    _vimo_embed_programs(${target} "${names}" "${images}")
endfunction()

function(vimo_add_z80_programs target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;DEPENDS")
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "vimo_add_z80_programs(${target}): SOURCES is empty")
    endif()
    if(NOT VIMO_Z80ASM)
        message(FATAL_ERROR "z80asm not found: install z80asm (scripts/setup.sh)")
    endif()

    set(work_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_images")
    file(MAKE_DIRECTORY "${work_dir}")
    set(names)
    set(images)
    foreach(source IN LISTS ARG_SOURCES)
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
        _vimo_program_name("${source}" name)
        _vimo_claim_program_name(${name} "${source}")
        get_filename_component(source_dir "${source}" DIRECTORY)
        set(image "${work_dir}/${name}.bin")
        add_custom_command(
            OUTPUT "${image}"
            COMMAND "${VIMO_Z80ASM}" -I "${source_dir}" -I "${VIMO_PROGRAMS_DIR}" -o "${image}" "${source}"
            DEPENDS "${source}" ${ARG_DEPENDS}
            COMMENT "Assembling Z80 test program ${name}"
            VERBATIM)
        list(APPEND names ${name})
        list(APPEND images "${image}")
    endforeach()
    _vimo_embed_programs(${target} "${names}" "${images}")
endfunction()
