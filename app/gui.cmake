# The Qt window and the desktop components, the executable `sarvane` and its
# desktop entry.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network Test)

add_library(sarvane_gui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Unit1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SysCtrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewCtrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtTranslations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalendarHeader.cpp)
set_target_properties(sarvane_gui PROPERTIES AUTOMOC ON)
target_include_directories(sarvane_gui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sarvane_gui PUBLIC sarvane_app sarvane_platform Qt6::Widgets Qt6::Network)

add_executable(sarvane ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(sarvane PRIVATE sarvane_gui)

sarvane_add_test(gui_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/GuiTestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Unit1_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SysCtrls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NewCtrls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderDialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtTranslations_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CalendarHeader_test.cpp
  LIBS sarvane_gui Qt6::Test)
set_target_properties(gui_test PROPERTIES AUTOMOC ON)
# The single-instance test starts the real program as a second copy.
add_dependencies(gui_test sarvane)
target_compile_definitions(gui_test PRIVATE SARVANE_GUI_EXE="$<TARGET_FILE:sarvane>")

include(GNUInstallDirs)
install(TARGETS sarvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sarvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sarvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
