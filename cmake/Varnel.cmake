# Helpers shared by every folder's CMakeLists.

# varnel_library(<name> SOURCES ... DEPS ...)
# A folder's library. Headers are included as "<folder>/<File>.h" from src/ (or sim/).
function(varnel_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# varnel_test(<name> SOURCES ... DEPS ... [ENVIRONMENT VAR=value ...] [LABELS label ...])
# One GoogleTest executable, its tests registered with ctest one by one. Tests never start a card
# daemon by accident and run headless unless they say otherwise.
function(varnel_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ENVIRONMENT;LABELS" ${ARGN})
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    set(environment "VARNEL_NO_AUTOSPAWN=1;VARNEL_HEADLESS=1" ${ARG_ENVIRONMENT})
    if(VARNEL_SANITIZE)
        list(APPEND environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
    endif()
    # The environment goes on through env(1) as the tests' launcher: a list given as the
    # discovered tests' ENVIRONMENT property would reach them cut after its first entry.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "env;${environment}")
    if(ARG_LABELS)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${ARG_LABELS}")
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
    endif()
endfunction()

# varnel_benchmark(<name> SOURCES ... DEPS ...)
# A Google Benchmark executable, run by `make bench` (ctest label "bench").
function(varnel_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
    add_test(NAME ${name} COMMAND ${name} --benchmark_counters_tabular=true)
    set_tests_properties(${name} PROPERTIES LABELS bench)
endfunction()
