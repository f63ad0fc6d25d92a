# Native test cases that cannot run when the native build is made for the host's own
# word size (ORV_NATIVE_HOST_WORD, on hosts that cannot execute 32-bit x86 code): they
# check 32-bit address fields, which a 64-bit pointer does not fit. One row per case:
# "test program|GoogleTest case|reason". scripts/test prints every skipped case with its
# reason; the rest of the program runs as usual. Tests of code that reaches records or
# buffers through such fields keep them in the low 2 GB (tests/support/low_memory.h) and
# run as well, so no case is left out at present.
set(ORV_HOST_WORD_SKIPS
)

# Sets OUT to the test program's arguments that leave out its skipped cases, and records
# them with their reasons in the build tree for scripts/test.
function(orv_host_word_skips name out)
  set(cases)
  foreach(row ${ORV_HOST_WORD_SKIPS})
    string(REPLACE "|" ";" f "${row}")
    list(GET f 0 test)
    if(test STREQUAL name)
      list(GET f 1 case)
      list(GET f 2 reason)
      list(APPEND cases ${case})
      file(APPEND ${CMAKE_BINARY_DIR}/host_word_skips.txt "${name}|${case}|${reason}\n")
    endif()
  endforeach()
  if(cases)
    list(JOIN cases ":" filter)
    set(${out} --gtest_filter=-${filter} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()
