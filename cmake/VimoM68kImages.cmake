# Assembling 68000 programs from tests/programs into raw images, for the
# native tests (VimoTesting embeds them) and for the Windows program's GUI
# tests (which use the images as cartridge and BIOS files).
#
#   vimo_assemble_m68k(<source> <image> [DEPENDS <file>...])
#       A custom command making <image> from <source> with
#       m68k-linux-gnu-as -m68000 (warnings are errors), linked by
#       tests/programs/m68k.ld; `.include` finds files beside the source and in
#       tests/programs/.

set(VIMO_PROGRAMS_DIR "${PROJECT_SOURCE_DIR}/tests/programs")

find_program(VIMO_M68K_AS m68k-linux-gnu-as)
find_program(VIMO_M68K_LD m68k-linux-gnu-ld)
find_program(VIMO_M68K_OBJCOPY m68k-linux-gnu-objcopy)

function(vimo_assemble_m68k source image)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "DEPENDS")
    foreach(tool VIMO_M68K_AS VIMO_M68K_LD VIMO_M68K_OBJCOPY)
        if(NOT ${tool})
            message(FATAL_ERROR "${tool} not found: install binutils-m68k-linux-gnu (scripts/setup.sh)")
        endif()
    endforeach()
    set(linker_script "${VIMO_PROGRAMS_DIR}/m68k.ld")
    get_filename_component(source_dir "${source}" DIRECTORY)
    get_filename_component(work_dir "${image}" DIRECTORY)
    get_filename_component(name "${image}" NAME_WE)
    set(object "${work_dir}/${name}.o")
    set(elf "${work_dir}/${name}.elf")
    add_custom_command(
        OUTPUT "${image}"
        COMMAND "${VIMO_M68K_AS}" -m68000 --fatal-warnings -I "${source_dir}" -I "${VIMO_PROGRAMS_DIR}"
                -o "${object}" "${source}"
        COMMAND "${VIMO_M68K_LD}" -T "${linker_script}" --no-warn-rwx-segments -o "${elf}" "${object}"
        COMMAND "${VIMO_M68K_OBJCOPY}" -O binary "${elf}" "${image}"
        DEPENDS "${source}" "${linker_script}" ${ARG_DEPENDS}
        COMMENT "Assembling 68000 test program ${name}"
        VERBATIM)
endfunction()
