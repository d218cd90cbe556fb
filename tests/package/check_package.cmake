# Makes velquor_<version>_<arch>.deb with cpack and checks, without installing it:
# - it holds exactly the files below, owned by root, programs 0755 and the rest 0644;
# - its control fields name the package, its version and the libraries the programs use,
#   found by dpkg-shlibdeps, and the Qt plugins they load;
# - the packaged velquor-cli runs and its manual page has a synopsis;
# - lintian finds no error (its warnings are printed).
#
# Expects: BUILD_DIR, WORK_DIR, CPACK, DPKG_DEB, LINTIAN, VERSION.

function(fail message)
    message(FATAL_ERROR "${message}")
endfunction()

function(run output_var)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
        ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        fail("${command} failed (${result}):\n${output}${error}")
    endif()
    set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

set(expected_files
    usr/bin/velquor
    usr/bin/velquor-cli
    usr/share/applications/velquor.desktop
    usr/share/doc/velquor/changelog.gz
    usr/share/doc/velquor/copyright
    usr/share/doc/velquor/usingvelquor.htm
    usr/share/doc/velquor/usingvelquor/dataflow.svg
    usr/share/doc/velquor/usingvelquor/livetrace.svg
    usr/share/doc/velquor/usingvelquor/responsetime.png
    usr/share/doc/velquor/usingvelquor/window.svg
    usr/share/icons/hicolor/16x16/apps/velquor.png
    usr/share/icons/hicolor/32x32/apps/velquor.png
    usr/share/icons/hicolor/48x48/apps/velquor.png
    usr/share/icons/hicolor/64x64/apps/velquor.png
    usr/share/icons/hicolor/128x128/apps/velquor.png
    usr/share/icons/hicolor/256x256/apps/velquor.png
    usr/share/icons/hicolor/scalable/apps/velquor.svg
    usr/share/man/man1/velquor-cli.1.gz
    usr/share/man/man1/velquor.1.gz)
set(expected_depends libc6 libstdc\\+\\+6 libqt6core6 libqt6gui6 libqt6widgets6
    libqt6svg6 qt6-qpa-plugins)

file(REMOVE_RECURSE "${WORK_DIR}")
run(ignored ${CPACK} -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
run(arch dpkg --print-architecture)
string(STRIP "${arch}" arch)
set(deb "${WORK_DIR}/velquor_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
    file(GLOB made "${WORK_DIR}/*.deb")
    fail("expected ${deb}, cpack made: ${made}")
endif()

# Contents: "perms owner size date time ./path" per entry.
run(contents ${DPKG_DEB} --contents "${deb}")
string(REPLACE "\n" ";" lines "${contents}")
set(files)
foreach(line IN LISTS lines)
    if(line STREQUAL "")
        continue()
    endif()
    if(NOT line MATCHES "^([-dlrwx]+) ([^ ]+) +[0-9]+ [^ ]+ [^ ]+ \\./(.*)$")
        fail("unexpected line of dpkg-deb --contents: ${line}")
    endif()
    set(perms ${CMAKE_MATCH_1})
    set(owner ${CMAKE_MATCH_2})
    set(path ${CMAKE_MATCH_3})
    if(NOT owner STREQUAL "root/root")
        fail("${path} is owned by ${owner}")
    endif()
    if(perms MATCHES "^d")
        set(want "drwxr-xr-x")
    elseif(path MATCHES "^usr/bin/")
        set(want "-rwxr-xr-x")
    else()
        set(want "-rw-r--r--")
    endif()
    if(NOT perms STREQUAL want)
        fail("${path} has ${perms}, not ${want}")
    endif()
    if(NOT perms MATCHES "^d")
        list(APPEND files ${path})
    endif()
endforeach()
list(SORT files)
list(SORT expected_files)
if(NOT files STREQUAL expected_files)
    set(missing ${expected_files})
    list(REMOVE_ITEM missing ${files})
    set(extra ${files})
    list(REMOVE_ITEM extra ${expected_files})
    fail("package contents differ; missing: ${missing}; not expected: ${extra}")
endif()

# Control fields.
foreach(field_value "Package=velquor" "Version=${VERSION}" "Architecture=${arch}"
        "Section=database" "Priority=optional")
    string(REPLACE "=" ";" pair "${field_value}")
    list(GET pair 0 field)
    list(GET pair 1 want)
    run(value ${DPKG_DEB} --field "${deb}" ${field})
    string(STRIP "${value}" value)
    if(NOT value STREQUAL want)
        fail("${field} is '${value}', not '${want}'")
    endif()
endforeach()
run(maintainer ${DPKG_DEB} --field "${deb}" Maintainer)
if(NOT maintainer MATCHES "^[^<]+ <[^@>]+@[^>]+>")
    fail("Maintainer is not a name and a mail address: ${maintainer}")
endif()
run(depends ${DPKG_DEB} --field "${deb}" Depends)
foreach(package IN LISTS expected_depends)
    if(NOT depends MATCHES "(^|, )${package}( \\(|,|\n|$)")
        fail("Depends lacks ${package}: ${depends}")
    endif()
endforeach()

# The packaged command-line tool runs, and its manual page was made from a help text
# help2man understood.
set(tree "${WORK_DIR}/tree")
run(ignored ${DPKG_DEB} --extract "${deb}" "${tree}")
run(version "${tree}/usr/bin/velquor-cli" --version)
if(NOT version STREQUAL "velquor-cli ${VERSION}\n")
    fail("the packaged velquor-cli --version printed: ${version}")
endif()
run(page gzip -dc "${tree}/usr/share/man/man1/velquor-cli.1.gz")
if(NOT page MATCHES "\n\\.SH SYNOPSIS\n" OR NOT page MATCHES "velquor\\\\-cli follow")
    fail("velquor-cli.1 has no synopsis naming its commands:\n${page}")
endif()

execute_process(COMMAND ${LINTIAN} --fail-on error --tag-display-limit 0 "${deb}"
    RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
message(STATUS "lintian:\n${report}")
if(NOT result EQUAL 0)
    fail("lintian reports errors (exit ${result})")
endif()
