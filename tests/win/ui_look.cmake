# The windows at 96, 144 and 192 DPI and in a high-contrast scheme, the keyboard
# walkthrough, the accessibility test and the manifests: one program, run by
# ui_look_test.sh in a Wine prefix and on a display of their own (build/win*/look/).
if(NOT ORV_WINDOWS)
  return()
endif()

set(_w ${CMAKE_CURRENT_SOURCE_DIR}/win)
add_executable(ui_look_check ${_w}/ui_look_test.cpp ${_w}/ui_access_test.cpp
  ${_w}/ui_look_support.cpp ${_w}/explorer_testkit.cpp ${_w}/explorer_process.cpp
  ${_w}/bands_site.cpp ${_w}/shellext_browser.cpp ${_w}/server_support.cpp
  ${_w}/ui_look_check.rc)
target_link_libraries(ui_look_check PRIVATE orv_flags explorer bands_core client framework
  orv_testsupport orv_testmain gtest comctl32 shell32 shlwapi ole32 oleaut32 uuid oleacc psapi
  advapi32 gdi32)
add_dependencies(ui_look_check corvath dunmere pellmark gastrel fenwold wnvrax32)
orv_manifest(ui_look_check NAME UiLookCheck KIND program DESCRIPTION "Look test of the suite")

set(_look_runner bash ${_w}/ui_look_test.sh ${CMAKE_BINARY_DIR}/look/prefix
  $<TARGET_FILE:ui_look_check>)
add_test(NAME ui_look_test COMMAND ${_look_runner} 96 144 192 hc -- --gtest_filter=Look.*)
add_test(NAME ui_keyboard_test COMMAND ${_look_runner} 96 -- --gtest_filter=Keyboard.*)
add_test(NAME ui_accessibility_test COMMAND ${_look_runner} 96 --
  --gtest_filter=Accessibility.*:Manifests.*)
# One prefix, whose look each run sets.
set_tests_properties(ui_look_test ui_keyboard_test ui_accessibility_test PROPERTIES
  LABELS wine TIMEOUT 900 RESOURCE_LOCK ui_look_prefix ENVIRONMENT "${ORV_TEST_ENV}")
