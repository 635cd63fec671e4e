# Installs the build into a staging directory (DESTDIR) and checks that a
# packager gets every file and a game that runs from anywhere.
# Usage: cmake -DBUILD_DIR=<build> -DSTAGE=<dir> -P CheckInstall.cmake
file(REMOVE_RECURSE ${STAGE})
set(ENV{DESTDIR} ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    usr/bin/kwadrill
    usr/share/applications/org.example.kwadrill.desktop
    usr/share/metainfo/org.example.kwadrill.metainfo.xml
    usr/share/man/man6/kwadrill.6
    usr/share/icons/hicolor/scalable/apps/kwadrill.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/kwadrill.png)
endforeach()
foreach(path ${expected})
    if(NOT EXISTS ${STAGE}/${path})
        message(FATAL_ERROR "missing from the installed tree: ${path}")
    endif()
endforeach()

# The installed program finds its devices module where it was installed:
# MODULE_FROM_BINDIR is the path it tries, relative to its own folder.
if(NOT EXISTS ${STAGE}/usr/bin/${MODULE_FROM_BINDIR})
    message(FATAL_ERROR "the devices module is not at bin/${MODULE_FROM_BINDIR}")
endif()

# Resources are compiled in: the installed game needs nothing else beside it.
execute_process(COMMAND ${STAGE}/usr/bin/kwadrill --version
    WORKING_DIRECTORY /
    RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "Kwadrill 1\\.5")
    message(FATAL_ERROR "the installed game does not run: ${result} ${output}")
endif()
message(STATUS "installed tree complete: ${output}")
