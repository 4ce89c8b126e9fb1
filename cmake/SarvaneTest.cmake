# sarvane_add_test(NAME SOURCES a_test.cpp ... LIBS lib ...)
# One GoogleTest executable; every test case becomes a CTest test.
function(sarvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "SARVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};SARVANE_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
