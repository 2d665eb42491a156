# The program that owns windows for the window-list tests, built beside them. Included from
# CoreG's CMakeLists after its tests are defined.
pkg_check_modules(WINDOW_HELPER_X11 REQUIRED IMPORTED_TARGET x11)
add_executable(UCoreCGWindowHelper ${CMAKE_CURRENT_LIST_DIR}/UCoreCGWindowHelper.cpp)
target_link_libraries(UCoreCGWindowHelper PRIVATE PkgConfig::WINDOW_HELPER_X11)
if(TARGET CoreG_UCoreCGWindowServer_test)
  add_dependencies(CoreG_UCoreCGWindowServer_test UCoreCGWindowHelper)
  target_compile_definitions(CoreG_UCoreCGWindowServer_test PRIVATE
    UCORECGWINDOW_HELPER="$<TARGET_FILE:UCoreCGWindowHelper>")
endif()
