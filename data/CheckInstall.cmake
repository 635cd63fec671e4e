# Installs the build into a staging directory (DESTDIR) and checks that a
# packager gets every file and a game that runs from anywhere.
# Usage: cmake -DBUILD_DIR=<build> -DSTAGE=<dir> -DAPP_ID=<id> -DBINDIR=<bin>
#        -DMODULE_FROM_BINDIR=<path> -P CheckInstall.cmake
file(REMOVE_RECURSE ${STAGE})
set(ENV{DESTDIR} ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    usr/${BINDIR}/kwadrill
    usr/share/applications/${APP_ID}.desktop
    usr/share/metainfo/${APP_ID}.metainfo.xml
    usr/share/man/man6/kwadrill.6
    usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
foreach(path ${expected})
    if(NOT EXISTS ${STAGE}/${path})
        message(FATAL_ERROR "missing from the installed tree: ${path}")
    endif()
endforeach()

# One identity: the launcher asks for the installed icons, and the metainfo
# names itself and the installed launcher by it.
file(STRINGS ${STAGE}/usr/share/applications/${APP_ID}.desktop icon_line REGEX "^Icon=")
if(NOT icon_line STREQUAL "Icon=${APP_ID}")
    message(FATAL_ERROR "the desktop file asks for '${icon_line}', the icons are ${APP_ID}")
endif()
file(READ ${STAGE}/usr/share/metainfo/${APP_ID}.metainfo.xml metainfo)
foreach(element "<id>${APP_ID}</id>" "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
    string(FIND "${metainfo}" "${element}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the metainfo lacks ${element}")
    endif()
endforeach()

# The installed program finds its devices module where it was installed:
# MODULE_FROM_BINDIR is the path it tries, relative to its own folder.
if(NOT EXISTS ${STAGE}/usr/${BINDIR}/${MODULE_FROM_BINDIR})
    message(FATAL_ERROR "the devices module is not at ${BINDIR}/${MODULE_FROM_BINDIR}")
endif()

# Resources are compiled in: the installed game needs nothing else beside it.
execute_process(COMMAND ${STAGE}/usr/${BINDIR}/kwadrill --version
    WORKING_DIRECTORY /
    RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "Kwadrill 1\\.5")
    message(FATAL_ERROR "the installed game does not run: ${result} ${output}")
endif()
message(STATUS "installed tree complete: ${output}")
