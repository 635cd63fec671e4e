# kwadrill_add_subdirectories([EXCEPT <folder>...])
# Adds every folder of the current source folder that has a CMakeLists.txt of
# its own, so that a new suite, benchmark or generator needs no line elsewhere.
function(kwadrill_add_subdirectories)
    cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
    file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(entry ${entries})
        get_filename_component(folder ${entry} NAME)
        if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt
                AND NOT folder IN_LIST ARG_EXCEPT)
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
