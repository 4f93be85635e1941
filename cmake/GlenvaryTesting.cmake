# glenvary_add_test(<target> SOURCES ... LIBRARIES ... [ENVIRONMENT ...])
# One test executable per layer, linked against that layer's library and
# registered test by test with gtest_discover_tests.
function(glenvary_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main glenvary::warnings)
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(${target} PRIVATE GLENVARY_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
