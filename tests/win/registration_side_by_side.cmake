# Both widths registered side by side in one 64-bit (WoW64) prefix. The client is built
# in both trees; the checker, which registers, asks both clients and reads both registry
# views, in the 64-bit tree. The whole test belongs to the 32-bit tree, since a 32-bit
# client and 32-bit regsvr32 must run (natively or under the emulator); the 64-bit tree
# tests its own half on every host. Included by installer/CMakeLists.txt of each tree.
add_executable(registration_side_by_side_client
  ${CMAKE_SOURCE_DIR}/tests/win/registration_side_by_side_client.cpp)
target_link_libraries(registration_side_by_side_client PRIVATE orv_flags ole32 oleaut32 uuid)

if(ORV_WIDTH EQUAL 64)
  add_executable(registration_side_by_side_check
    ${CMAKE_SOURCE_DIR}/tests/win/registration_side_by_side_check.cpp)
  target_link_libraries(registration_side_by_side_check PRIVATE orv_flags orv_testmain gtest
                        framework advapi32)
  add_dependencies(registration_side_by_side_check registration_side_by_side_client)
  # The 64-bit half on every host: the 32-bit view's entries written by the checker.
  add_test(NAME registration_own_view_test
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/registration_side_by_side_test.sh
            ${CMAKE_CURRENT_BINARY_DIR}/own_view_prefix - ${ORV_BIN_DIR})
  set_tests_properties(registration_own_view_test PROPERTIES LABELS wine TIMEOUT 300
    ENVIRONMENT "${ORV_TEST_ENV}")
else()
  add_test(NAME registration_side_by_side_test
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/registration_side_by_side_test.sh
            ${CMAKE_CURRENT_BINARY_DIR}/side_by_side_prefix ${ORV_BIN_DIR} ${ORV_WIN64_TREE}/bin)
  set_tests_properties(registration_side_by_side_test PROPERTIES LABELS wine TIMEOUT 600
    ENVIRONMENT "${ORV_TEST_ENV}")
endif()
