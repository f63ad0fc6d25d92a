# The fault matrix: every window against every fault of what it sends (one table of
# cells in fault_matrix_cells.cpp). One ctest test per window, so that the cells that
# wait out the manager run side by side; one per manager variant without an entry point.
if(NOT ORV_WINDOWS)
  return()
endif()

# Managers that lack one entry point, each in a folder of its own as wnvrax32.dll.
foreach(variant no_pci no_send)
  add_library(wnvrax32_${variant} SHARED
    ${CMAKE_SOURCE_DIR}/simulator/win/exports.cpp ${CMAKE_SOURCE_DIR}/simulator/win/host.cpp
    ${CMAKE_SOURCE_DIR}/simulator/win/completer.cpp ${CMAKE_SOURCE_DIR}/simulator/win/devicemap.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/win/fault_matrix_${variant}.def)
  set_target_properties(wnvrax32_${variant} PROPERTIES PREFIX "" OUTPUT_NAME wnvrax32
    RUNTIME_OUTPUT_DIRECTORY ${ORV_BIN_DIR}/managers/${variant}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/managers/${variant})
  target_link_libraries(wnvrax32_${variant} PRIVATE simulator_core advapi32)
endforeach()

# The program; its tests are registered below, per window and per manager variant.
add_executable(fault_matrix_test win/fault_matrix_test.cpp win/fault_matrix_cells.cpp
  win/server_support.cpp win/fault_matrix_test.rc)
target_link_libraries(fault_matrix_test PRIVATE orv_flags explorer client simulator_core
  framework comctl32 ole32 oleaut32 advapi32 orv_testsupport orv_testmain gtest)
add_dependencies(fault_matrix_test corvath wnvrax32 wnvrax32_no_pci wnvrax32_no_send)

# Windows whose cells change the published SCSI ports run alone, and so do those whose
# cells keep the window's thread waiting for an answer (10 s): another program's
# message to every window would wait for it meanwhile.
set(_serial DeviceFeatures DeviceGeneral DeviceDefects DeviceMode DeviceCache DeviceList Seldarn)
foreach(window Explorer DeviceList About DeviceGeneral DeviceFeatures DeviceDefects DeviceMode
               DeviceCache AdapterGeneral AdapterPci Seldarn)
  add_test(NAME fault_matrix_${window} COMMAND fault_matrix_test "--gtest_filter=*/${window}_*")
  # A hang guard, not a timing: the device windows' cells take 4 to 5 minutes under the
  # user-mode emulator or on a loaded machine.
  set_tests_properties(fault_matrix_${window} PROPERTIES LABELS wine TIMEOUT 1200
    ENVIRONMENT "${ORV_TEST_ENV}")
  if(window IN_LIST _serial)
    set_tests_properties(fault_matrix_${window} PROPERTIES RUN_SERIAL TRUE)
  endif()
endforeach()
foreach(variant no_pci no_send)
  add_test(NAME fault_matrix_without_${variant} COMMAND fault_matrix_test)
  set_tests_properties(fault_matrix_without_${variant} PROPERTIES LABELS wine TIMEOUT 300
    ENVIRONMENT "ORV_FAULT_MANAGER=managers\\${variant};${ORV_TEST_ENV}")
endforeach()
