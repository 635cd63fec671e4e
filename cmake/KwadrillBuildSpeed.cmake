# Unity builds: the sources of each of the project's libraries, programs and
# test suites are compiled in batches, so the Qt and GoogleTest headers are
# parsed and their inline code generated once per batch instead of once per
# file. This halves the build on a two-core machine. Included at the end of
# the top CMakeLists.txt, once every target exists.
#
# Precompiled headers were measured too and left out: with g++ and -g each
# .gch is about 200 MB and takes ten seconds to write, which costs more than
# it saves once the sources are batched.
option(KWADRILL_UNITY_BUILD "Compile the sources of each target in batches" ON)

# Sources that define a name some other source of their target defines too
# (file-local constants and helpers): compiled on their own, the rest of the
# target still in batches. A new clash shows as "redefinition of
# '...{anonymous}::name'" in a Unity/unity_N_cxx.cxx file: add one of the two
# files here (paths from the top of the tree), or configure with
# -DKWADRILL_UNITY_BUILD=OFF.
set(KWADRILL_UNITY_ALONE
    src/audio/MusicCache.cpp
    src/storage/XorChecksum.cpp
    src/ui/TForm3.cpp src/ui/TForm4.cpp src/ui/TForm5.cpp src/ui/TForm6.cpp
    tests/e2e/GameWindowDriver.cpp
    tests/process/HostileMachineTest.cpp
    tests/sounds/MidiReader.cpp
    tests/storage/SettingsStoreTest.cpp
    tools/pictures/DestructionArt.cpp
    tools/sounds/Loudness.cpp
    tools/sounds/Voices.cpp)

# Every target defined in dir and below it.
function(_kwadrill_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        _kwadrill_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(_kwadrill_unity_build target)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY)$")
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(count LESS 2)
        return()
    endif()
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source ${sources})
        get_filename_component(source ${source} ABSOLUTE BASE_DIR ${source_dir})
        file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${source})
        if(path IN_LIST KWADRILL_UNITY_ALONE)
            set_source_files_properties(${source} TARGET_DIRECTORY ${target}
                PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
        endif()
    endforeach()
endfunction()

function(kwadrill_speed_up_build)
    if(NOT KWADRILL_UNITY_BUILD)
        return()
    endif()
    _kwadrill_targets_below(${PROJECT_SOURCE_DIR} targets)
    foreach(target ${targets})
        # The libFuzzer targets compile single files of the game next to their
        # own; they stay as they are.
        if(NOT target MATCHES "^fuzz_")
            _kwadrill_unity_build(${target})
        endif()
    endforeach()
endfunction()
