# Sanitizer and fuzzing builds. The flags go to every target of the build, so
# the game's libraries (and the tools the tests run) are checked too.
#
# KWADRILL_SANITIZE: AddressSanitizer and UndefinedBehaviorSanitizer; the first
# report ends the program, so a test that provokes one fails.
# KWADRILL_BUILD_FUZZERS: the same, plus libFuzzer's coverage instrumentation
# (clang only); the fuzz targets themselves link libFuzzer (fuzz/).

set(KWADRILL_SANITIZER_FLAGS
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

if(KWADRILL_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR
            "KWADRILL_BUILD_FUZZERS needs clang for libFuzzer: configure with CXX=clang++-14")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(KWADRILL_SANITIZE OR KWADRILL_BUILD_FUZZERS)
    add_compile_options(${KWADRILL_SANITIZER_FLAGS})
    add_link_options(${KWADRILL_SANITIZER_FLAGS})
endif()
