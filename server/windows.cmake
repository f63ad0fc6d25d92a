# Corvath's windows: the device list and the About box. Included by server/CMakeLists.txt,
# which links server_windows into the server.
orv_core_library(server_windows_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/devicelist_view.cpp
  DEPS framework_core)

orv_win_library(server_windows
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/devicelist.cpp ${CMAKE_CURRENT_LIST_DIR}/about.cpp
  DEPS server_windows_core server_services framework comctl32 gdi32 user32)

if(ORV_WINDOWS)
  # The list's background picture is a file beside the module, not a resource.
  set(_devlist_picture ${ORV_BIN_DIR}/images/devbackground.bmp)
  add_custom_command(OUTPUT ${_devlist_picture}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CMAKE_SOURCE_DIR}/resources/images/devbackground.bmp ${_devlist_picture}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/images/devbackground.bmp)
  add_custom_target(devlist_pictures ALL DEPENDS ${_devlist_picture})
  add_dependencies(server_windows devlist_pictures)
endif()

# ---- tests ----
orv_native_test(devlist_view_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/unit/devlist_view_test.cpp
  DEPS server_windows_core framework_core)

# The windows on records built by hand, with their resources compiled in.
orv_win_test(devlist_window_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/win/devlist_window_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/win/devlist_test.rc
  DEPS server_windows)
orv_win_test(about_box_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/win/about_box_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/win/devlist_test.rc
  DEPS server_windows)

# Through the automation object on a simulated bus, as a front end opens the window.
orv_win_test(devlist_server_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/win/devlist_server_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/win/server_support.cpp
  DEPS client framework comctl32 ole32 oleaut32 advapi32)
if(TARGET devlist_server_test)
  add_dependencies(devlist_server_test corvath wnvrax32)
endif()

# The resource compiler's inputs that CMake does not scan.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/devlist_test.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/devicelist.rc;${CMAKE_CURRENT_LIST_DIR}/about.rc;${CMAKE_SOURCE_DIR}/resources/bitmaps/about_picture.bmp")
