# Build conventions shared by every folder.
#
#   orv_core_library(name SOURCES ... [DEPS ...])
#       platform-free logic (no windows.h); built in both builds.
#   orv_win_library(name SOURCES ... [DEPS ...])
#       Win32 bindings and windows; cross build only.
#   orv_native_test(name SOURCES ... [DEPS ...])   GoogleTest program, native build
#   orv_win_test(name SOURCES ... [DEPS ...] [RC file])  GoogleTest program, run under Wine
#   orv_fuzz_target(name SOURCES ... [DEPS ...] [DEFINES ...])
#       libFuzzer program <name>_libfuzzer for the long campaigns (scripts/fuzz-campaign);
#       only in a native clang build configured with -DORV_LIBFUZZER=ON. The test command
#       keeps its bounded seeded runs and the corpus replay (fuzz/corpus/<name>/).
#
# Every Windows binary lands in ${ORV_BIN_DIR}, so test programs find the deliverables
# and the simulated SCSI manager beside them, as a user's installation would.

set(ORV_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ORV_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ORV_BIN_DIR})

add_library(orv_flags INTERFACE)
target_include_directories(orv_flags INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(orv_flags INTERFACE -Wall -Wextra -Wno-unused-parameter)
# Narrowing conversions are warnings everywhere, kept at zero: in the 64-bit build they are
# how an address or handle cut to 32 bits shows itself.
target_compile_options(orv_flags INTERFACE -Wconversion -Wno-sign-conversion)

if(ORV_WINDOWS)
  # Two widths from the same sources: 32 (i686) and 64 (x86-64), each in a tree of its own.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORV_WIDTH 64)
    set(ORV_TEST_ENV "ORV_WIDTH=64;ORV_ARTIFACTS=${CMAKE_BINARY_DIR}/../screenshots/64")
  else()
    set(ORV_WIDTH 32)
    set(ORV_TEST_ENV "ORV_WIDTH=32;ORV_ARTIFACTS=${CMAKE_BINARY_DIR}/../screenshots")
  endif()
  target_compile_definitions(orv_flags INTERFACE
    WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 WIN32_LEAN_AND_MEAN NOMINMAX
    STRICT _CRT_SECURE_NO_WARNINGS)
  # Static runtime: the binaries need nothing but Windows' own DLLs.
  target_link_options(orv_flags INTERFACE -static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
  enable_language(RC)
else()
  # Native build: 32-bit, so that record layouts and address fields match the target.
  # ORV_NATIVE_HOST_WORD builds for the host's own word size instead, for hosts that
  # cannot execute 32-bit x86 code; tests that need 32-bit addresses are skipped there.
  option(ORV_NATIVE_HOST_WORD "native build for the host's word size instead of -m32" OFF)
  # The fuzz campaigns may trade AddressSanitizer for speed (their corpus is replayed
  # under both sanitizers by the test command).
  set(ORV_NATIVE_SANITIZERS address,undefined CACHE STRING "sanitizers of the native build")
  set(ORV_NATIVE_FLAGS -fsanitize=${ORV_NATIVE_SANITIZERS} -fno-omit-frame-pointer
                       -fno-sanitize-recover=undefined)
  if(ORV_NATIVE_HOST_WORD)
    add_compile_definitions(ORV_NATIVE_HOST_WORD)
    include(${CMAKE_CURRENT_LIST_DIR}/host_word_skips.cmake)
    file(WRITE ${CMAKE_BINARY_DIR}/host_word_skips.txt "")
  else()
    list(PREPEND ORV_NATIVE_FLAGS -m32)
    # 64-bit file offsets and inode numbers in the 32-bit programs: directory listings
    # (the corpus replay) and file reads then work on any file system.
    add_compile_definitions(_FILE_OFFSET_BITS=64)
  endif()
  add_compile_options(${ORV_NATIVE_FLAGS} -g)
  add_link_options(${ORV_NATIVE_FLAGS})
  # Coverage for libFuzzer in every library; only the fuzz programs link its main.
  option(ORV_LIBFUZZER "build the libFuzzer programs of the fuzz targets (clang)" OFF)
  if(ORV_LIBFUZZER)
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "")
endif()

include(${CMAKE_SOURCE_DIR}/resources/manifests/manifests.cmake)

function(orv_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC orv_flags ${A_DEPS})
endfunction()

function(orv_win_library name)
  if(NOT ORV_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC orv_flags ${A_DEPS})
endfunction()

function(orv_native_test name)
  if(NOT ORV_NATIVE)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orv_flags ${A_DEPS} gtest gtest_main)
  set(_args)
  if(ORV_NATIVE_HOST_WORD)
    orv_host_word_skips(${name} _args)
  endif()
  add_test(NAME ${name} COMMAND ${name} ${_args})
  set_tests_properties(${name} PROPERTIES LABELS native TIMEOUT 300)
endfunction()

function(orv_win_test name)
  if(NOT ORV_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orv_flags ${A_DEPS} orv_testsupport orv_testmain gtest)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT ${A_TIMEOUT}
    ENVIRONMENT "${ORV_TEST_ENV}")
endfunction()

function(orv_fuzz_target name)
  if(NOT ORV_NATIVE OR NOT ORV_LIBFUZZER)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;DEFINES" ${ARGN})
  add_executable(${name}_libfuzzer ${A_SOURCES})
  target_link_libraries(${name}_libfuzzer PRIVATE orv_flags ${A_DEPS})
  target_compile_definitions(${name}_libfuzzer PRIVATE ORV_LIBFUZZER_MAIN ${A_DEFINES})
  target_link_options(${name}_libfuzzer PRIVATE -fsanitize=fuzzer)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${name}\n")
endfunction()

# The corpus of a fuzz target replayed as part of its native test: every file under
# fuzz/corpus/<corpus>/ (campaign finds and crash reproducers) goes through the target.
function(orv_fuzz_corpus_replay test corpus)
  if(NOT TARGET ${test})
    return()
  endif()
  target_sources(${test} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/corpus_replay.cpp)
  target_compile_definitions(${test} PRIVATE
    ORV_FUZZ_CORPUS_DIR="${CMAKE_SOURCE_DIR}/fuzz/corpus/${corpus}")
endfunction()
