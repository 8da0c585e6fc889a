# Checks that only the cross build runs: they prove that the pieces the
# Windows program will need compile, link and work for Windows.

# minizip and zlib built from source link into a Windows executable...
add_executable(vimo_mingw_minizip_check "${PROJECT_SOURCE_DIR}/cmake/checks/minizip_check.cpp")
target_link_libraries(vimo_mingw_minizip_check PRIVATE vimo_core_options vimo_minizip)

# ...and, where Wine is installed, inflate a small archive made at build time.
find_program(VIMO_WINE wine)
if(VIMO_WINE)
    enable_testing()
    # A text entry of 4000 bytes: repetitive, so the archive deflates it.
    set(_check_dir "${CMAKE_BINARY_DIR}/minizip_check")
    set(_archive "${_check_dir}/check.zip")
    string(REPEAT "Vimo minizip check.\n" 200 _entry_text)
    file(CONFIGURE OUTPUT "${_check_dir}/content/entry.txt" CONTENT "${_entry_text}")
    add_custom_command(
        OUTPUT "${_archive}"
        COMMAND "${CMAKE_COMMAND}" -E chdir "${_check_dir}/content"
                "${CMAKE_COMMAND}" -E tar cf "${_archive}" --format=zip entry.txt
        DEPENDS "${_check_dir}/content/entry.txt"
        COMMENT "Making the archive for the minizip check"
        VERBATIM)
    add_custom_target(vimo_mingw_minizip_check_archive ALL DEPENDS "${_archive}")

    add_test(NAME mingw_minizip_check COMMAND "${VIMO_WINE}" $<TARGET_FILE:vimo_mingw_minizip_check> "${_archive}")
    set_tests_properties(mingw_minizip_check PROPERTIES
        ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;DISPLAY="
        PASS_REGULAR_EXPRESSION "entry.txt 4000"
        FAIL_REGULAR_EXPRESSION "read failed;cannot open"
        FIXTURES_REQUIRED wine_prefix
        RESOURCE_LOCK wine_server
        TIMEOUT 300
        LABELS windows)
endif()

# The Windows program's own checks: built always, run under Wine where it is.
add_subdirectory("${PROJECT_SOURCE_DIR}/tests/gui" "${CMAKE_BINARY_DIR}/tests/gui")
