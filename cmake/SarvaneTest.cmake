# sarvane_add_test(NAME SOURCES a_test.cpp ... LIBS lib ...)
# One GoogleTest executable; every test case becomes a CTest test.
# Tests find the source tree (fixtures) and the build tree (the executables
# they drive) through the environment variables SARVANE_SOURCE_DIR and
# SARVANE_BINARY_DIR under CTest, and through the compiled-in
# SARVANE_TEST_SOURCE_DIR and SARVANE_TEST_BINARY_DIR when run by hand.
function(sarvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    SARVANE_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    SARVANE_TEST_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "SARVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      # A second variable through ENVIRONMENT would need a list, which the
      # discovery script does not carry through; this property does.
      ENVIRONMENT_MODIFICATION "SARVANE_BINARY_DIR=set:${PROJECT_BINARY_DIR}")
endfunction()
