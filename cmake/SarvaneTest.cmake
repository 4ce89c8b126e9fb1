# sarvane_add_test(NAME SOURCES a_test.cpp ... LIBS lib ...)
# One GoogleTest executable; every test case becomes a CTest test with a
# deadline of its own.
# Tests find the source tree (fixtures) and the build tree through the
# compiled-in SARVANE_TEST_SOURCE_DIR and SARVANE_TEST_BINARY_DIR, so a test
# binary run by hand behaves as under CTest.
function(sarvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    SARVANE_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    SARVANE_TEST_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # Every case has a deadline, so that a hang fails the run instead of
  # stalling it; the slowest case takes well under a minute.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
