# Fuzz targets. Each target is one file defining LLVMFuzzerTestOneInput.
# In a normal build it is linked with a replay driver and its corpus runs as a test; with
# VARNEL_FUZZ=ON (clang) it becomes a libFuzzer executable, run by `make fuzz`.

option(VARNEL_FUZZ "Build libFuzzer executables (needs clang)" OFF)
if(VARNEL_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(fuzzers)
endif()

# varnel_fuzz_target(<name> SOURCE <file> DEPS ...)
# The committed corpus lives in tests/fuzz/corpus/<name>.
function(varnel_fuzz_target name)
    cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
    set(corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
    if(VARNEL_FUZZ)
        add_executable(fuzz_${name} ${ARG_SOURCE})
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
        target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
        add_dependencies(fuzzers fuzz_${name})
        file(APPEND ${PROJECT_BINARY_DIR}/fuzzers.txt "fuzz_${name} ${corpus}\n")
    else()
        add_executable(replay_${name} ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
        target_include_directories(replay_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
        target_link_libraries(replay_${name} PRIVATE ${ARG_DEPS})
        add_test(NAME fuzz_replay_${name} COMMAND replay_${name} ${corpus})
    endif()
endfunction()
