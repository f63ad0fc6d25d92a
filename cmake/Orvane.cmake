# Build conventions shared by every folder.
#
#   orv_core_library(name SOURCES ... [DEPS ...])
#       platform-free logic (no windows.h); built in both builds.
#   orv_win_library(name SOURCES ... [DEPS ...])
#       Win32 bindings and windows; cross build only.
#   orv_native_test(name SOURCES ... [DEPS ...])   GoogleTest program, native build
#   orv_win_test(name SOURCES ... [DEPS ...] [RC file])  GoogleTest program, run under Wine
#
# Every Windows binary lands in ${ORV_BIN_DIR}, so test programs find the deliverables
# and the simulated SCSI manager beside them, as a user's installation would.

set(ORV_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ORV_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ORV_BIN_DIR})

add_library(orv_flags INTERFACE)
target_include_directories(orv_flags INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(orv_flags INTERFACE -Wall -Wextra -Wno-unused-parameter)

if(ORV_WINDOWS)
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
  set(ORV_NATIVE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
                       -fno-sanitize-recover=undefined)
  if(ORV_NATIVE_HOST_WORD)
    add_compile_definitions(ORV_NATIVE_HOST_WORD)
    include(${CMAKE_CURRENT_LIST_DIR}/host_word_skips.cmake)
    file(WRITE ${CMAKE_BINARY_DIR}/host_word_skips.txt "")
  else()
    list(PREPEND ORV_NATIVE_FLAGS -m32)
  endif()
  add_compile_options(${ORV_NATIVE_FLAGS} -g)
  add_link_options(${ORV_NATIVE_FLAGS})
endif()

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
    ENVIRONMENT "ORV_ARTIFACTS=${CMAKE_BINARY_DIR}/../screenshots")
endfunction()
