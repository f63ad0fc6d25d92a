# Native test cases that cannot run when the native build is made for the host's own
# word size (ORV_NATIVE_HOST_WORD, on hosts that cannot execute 32-bit x86 code): they
# check 32-bit address fields, which a 64-bit pointer does not fit. One row per case:
# "test program|GoogleTest case|reason". scripts/test prints every skipped case with its
# reason; the rest of the program runs as usual.
set(ORV_HOST_WORD_SKIPS
  "scsi_commands_test|ScsiCommands.FillExecBlockClearsEverythingItDoesNotSet|the request block holds the data buffer as a 32-bit address"
  "biosconfig_block_test|BiosconfigBlock.CardListsAndMarkingUseOneNumbering|the adapters are found through the label table of 32-bit record addresses"
  "biosconfig_block_test|BiosconfigBlock.BootLunGoesToEveryBios300AdapterWithChecksums|the adapters are found through the label table of 32-bit record addresses"
  "biosconfig_block_test|BiosconfigBlock.SnapshotRestoresEveryImageIncludingBootCopies|the adapters are found through the label table of 32-bit record addresses"
  "biosconfig_block_test|BiosconfigReadAll.ReadsExtendedAdaptersAndCountsOnlyTheOwnFailure|the adapters are found through the label table of 32-bit record addresses"
  "shellext_logic_test|ShellextFolder.CopiesFindTheirLiveRecordsByNumberAndTarget|the live records are reached through 32-bit record addresses"
  "bands_logic_test|BandsAdapterView.UsesNoMoreRecordsThanCountAndArraySay|the server hands its adapter array over as a 32-bit address"
  "bands_logic_test|BandsAdapterView.AcceptsOnlyItsOwnRecordAddresses|record addresses are 32-bit fields"
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
