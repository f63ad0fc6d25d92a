# Module services of Corvath: the application list. Included by server/CMakeLists.txt; the
# server's own targets link server_services. What the pages share (help, drawing, DibImage)
# is in pages/, which server_services passes on to the server's windows.

orv_core_library(server_services_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/applist.cpp)

orv_win_library(server_services
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/applist_registry.cpp
  DEPS server_services_core pages framework version shell32 gdi32 user32)

# ---- tests ----
set(_srv_tests ${CMAKE_SOURCE_DIR}/tests)

orv_native_test(server_applist_match_test
  SOURCES ${_srv_tests}/unit/server_applist_match_test.cpp DEPS server_services_core)

if(ORV_WINDOWS)
  # A program with both US-English string blocks in its version resource.
  add_executable(server_applist_probe ${_srv_tests}/win/server_applist_probe.cpp
                                      ${_srv_tests}/win/server_applist_probe.rc)
  target_link_libraries(server_applist_probe PRIVATE orv_flags)
endif()
orv_win_test(server_applist_test
  SOURCES ${_srv_tests}/win/server_applist_test.cpp ${_srv_tests}/win/server_applist_test.rc
  DEPS server_services)
if(TARGET server_applist_test)
  add_dependencies(server_applist_test server_applist_probe)
  # The per-user AppList key is shared by every test that writes it: they take this lock.
  set_tests_properties(server_applist_test PROPERTIES RESOURCE_LOCK hkcu_applist)
endif()
