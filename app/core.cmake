# The tool's core without Qt: settings file, application files, lock job.
add_library(sarvane_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IniFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Rw_ini.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JobFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OutputCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LockJob.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewLimit.cpp)
target_include_directories(sarvane_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sarvane_app PUBLIC sarvane_platform sarvane_document sarvane_forms)

sarvane_add_test(app_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IniFile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Rw_ini_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AppFiles_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JobFolder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputCheck_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LockJob_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewLimit_test.cpp
  LIBS sarvane_app)
