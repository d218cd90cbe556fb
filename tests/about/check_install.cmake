# Installs the build tree into a fresh prefix and checks that every file the install
# must put there is there: the programs, the user guide where the installed program
# looks for it, the desktop entry (accepted by desktop-file-validate) and the icons.
#
# Expects: BUILD_DIR, PREFIX, BINDIR, DOCDIR, GUIDE_DIR_FROM_BINDIR, GUIDE_FILES,
# DESKTOP_FILES, ICON_DIR, ICON_SIZES, PROGRAMS (may be empty), DESKTOP_FILE_VALIDATE.

function(fail message)
    message(FATAL_ERROR "${message}")
endfunction()

function(expect_file path)
    if(NOT EXISTS "${PREFIX}/${path}" OR IS_DIRECTORY "${PREFIX}/${path}")
        fail("not installed: ${PREFIX}/${path}")
    endif()
endfunction()

# Width and height from a PNG's header (bytes 16 to 23, big-endian).
function(expect_png_size path size)
    expect_file(${path})
    file(READ "${PREFIX}/${path}" header OFFSET 16 LIMIT 8 HEX)
    string(SUBSTRING "${header}" 0 8 width_hex)
    string(SUBSTRING "${header}" 8 8 height_hex)
    math(EXPR width "0x${width_hex}")
    math(EXPR height "0x${height_hex}")
    if(NOT width EQUAL size OR NOT height EQUAL size)
        fail("${path} is ${width}x${height}, not ${size}x${size}")
    endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    fail("cmake --install failed:\n${output}")
endif()

foreach(program IN LISTS PROGRAMS)
    expect_file(${BINDIR}/${program})
    execute_process(COMMAND test -x "${PREFIX}/${BINDIR}/${program}" RESULT_VARIABLE executable)
    if(NOT executable EQUAL 0)
        fail("not executable: ${PREFIX}/${BINDIR}/${program}")
    endif()
endforeach()

foreach(file IN LISTS GUIDE_FILES)
    expect_file(${DOCDIR}/${file})
endforeach()
# The program resolves this path by its text, as QDir::cleanPath does, so do the same.
cmake_path(SET guide_from_program NORMALIZE "${BINDIR}/${GUIDE_DIR_FROM_BINDIR}/usingvelquor.htm")
expect_file(${guide_from_program})

foreach(file IN LISTS DESKTOP_FILES)
    expect_file(${file})
endforeach()
foreach(size IN LISTS ICON_SIZES)
    expect_png_size(${ICON_DIR}/${size}x${size}/apps/velquor.png ${size})
endforeach()

list(FILTER DESKTOP_FILES INCLUDE REGEX "\\.desktop$")
foreach(file IN LISTS DESKTOP_FILES)
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} "${PREFIX}/${file}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR NOT output STREQUAL "")
        fail("desktop-file-validate rejects ${file}:\n${output}")
    endif()
    # The menu entry starts the program without files and finds the installed icon.
    file(STRINGS "${PREFIX}/${file}" exec REGEX "^Exec=")
    file(STRINGS "${PREFIX}/${file}" icon REGEX "^Icon=")
    if(NOT exec STREQUAL "Exec=velquor" OR NOT icon STREQUAL "Icon=velquor")
        fail("${file}: expected Exec=velquor and Icon=velquor, found ${exec} ${icon}")
    endif()
endforeach()
