# Module services of Corvath: the application list, the context-help machinery, the
# drawing helpers and DibImage. Included by server/CMakeLists.txt; the server's own
# targets link server_services, and corvath.rc includes help.rc for their strings.

orv_core_library(server_services_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/applist.cpp ${CMAKE_CURRENT_LIST_DIR}/dibimage_layout.cpp)

orv_win_library(server_services
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/applist_registry.cpp ${CMAKE_CURRENT_LIST_DIR}/help.cpp
          ${CMAKE_CURRENT_LIST_DIR}/drawing.cpp ${CMAKE_CURRENT_LIST_DIR}/dibimage.cpp
          ${CMAKE_CURRENT_LIST_DIR}/helped_page.cpp
  DEPS server_services_core framework version shell32 gdi32 user32)

# ---- tests ----
set(_srv_tests ${CMAKE_SOURCE_DIR}/tests)

orv_native_test(server_applist_match_test
  SOURCES ${_srv_tests}/unit/server_applist_match_test.cpp DEPS server_services_core)
orv_native_test(server_drawing_dib_test
  SOURCES ${_srv_tests}/unit/server_drawing_dib_test.cpp DEPS server_services_core)
orv_native_test(server_help_tables_test
  SOURCES ${_srv_tests}/unit/server_help_tables_test.cpp DEPS server_services_core)
if(TARGET server_help_tables_test)
  # The topics of the help file's pop-up texts, checked against the pair tables.
  target_compile_definitions(server_help_tables_test PRIVATE
    ORV_CONTEXT_TOPICS="${CMAKE_SOURCE_DIR}/help/context.txt")
endif()

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
orv_win_test(server_help_test
  SOURCES ${_srv_tests}/win/server_help_test.cpp ${_srv_tests}/win/server_help_test.rc
  DEPS server_services)
orv_win_test(server_drawing_test
  SOURCES ${_srv_tests}/win/server_drawing_test.cpp ${_srv_tests}/win/server_drawing_test.rc
  DEPS server_services)
orv_win_test(server_help_file_test
  SOURCES ${_srv_tests}/win/server_help_file_test.cpp DEPS server_services ole32 uuid)
if(TARGET server_help_file_test)
  add_dependencies(server_help_file_test orvane60_chm)
endif()
