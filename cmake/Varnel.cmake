# Helpers shared by every folder's CMakeLists.

# The layers' include rule. Each folder's headers are included as "<folder>/<File>.h"
# ("toolkit/TForm.h", "sim/protocol/Wire.h"), yet no target sees the source tree: every folder
# gets an include root of its own in the build tree, a real directory named after the folder
# holding one link per header, and a library's PUBLIC include directory is its own root. A target
# therefore finds exactly the folders of the libraries it links, directly or through them, and an
# include against the layer graph is simply not found.
#
# The folder's sources are compiled through links in the same directory. A compiler resolves a
# quoted include relative to the directory it opened the file from, not the file's real place, so
# a climb such as "../windows/X.h" lands inside the generated root, where no other folder is.
# This keeps the rule with the compiler alone: a check of the include lines would have to run on
# every edit and read the preprocessor's language, and could still miss what the compiler finds.
set(VARNEL_INCLUDE_ROOT ${PROJECT_BINARY_DIR}/include)

# The folder of the current directory as includes spell it: relative to src/ for the program's
# folders, else relative to the project ("sim/protocol").
function(varnel_folder out)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    if(folder MATCHES "^[.][.]")
        file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    set(${out} ${folder} PARENT_SCOPE)
endfunction()

# varnel_link_files(<out> <dir> <file>...)
# Links each file (a name in the current source directory) into <dir>; <out> gets the links.
function(varnel_link_files out dir)
    file(MAKE_DIRECTORY ${dir})
    set(links)
    foreach(file ${ARGN})
        get_filename_component(name ${file} NAME)
        get_filename_component(real ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        file(CREATE_LINK ${real} ${dir}/${name} SYMBOLIC)
        list(APPEND links ${dir}/${name})
    endforeach()
    set(${out} ${links} PARENT_SCOPE)
endfunction()

# varnel_folder_root(<out-root> <out-folder> [PUBLIC_HEADERS <header>...])
# The include root of the current folder, holding links to all its headers, made afresh once per
# configure run (so that a removed header leaves no link behind). With PUBLIC_HEADERS, a second
# root beside it holds only those, and <out-root>_PUBLIC names it.
function(varnel_folder_root out_root out_folder)
    cmake_parse_arguments(ARG "" "" "PUBLIC_HEADERS" ${ARGN})
    varnel_folder(folder)
    string(REPLACE "/" "-" id ${folder})
    set(root ${VARNEL_INCLUDE_ROOT}/${id})
    get_property(made GLOBAL PROPERTY VARNEL_ROOT_MADE_${id})
    if(NOT made)
        set_property(GLOBAL PROPERTY VARNEL_ROOT_MADE_${id} TRUE)
        file(REMOVE_RECURSE ${root} ${root}-public)
        file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
        varnel_link_files(links ${root}/${folder} ${headers})
        if(ARG_PUBLIC_HEADERS)
            varnel_link_files(links ${root}-public/${folder} ${ARG_PUBLIC_HEADERS})
        endif()
    endif()
    set(${out_root} ${root} PARENT_SCOPE)
    set(${out_root}_PUBLIC ${root}-public PARENT_SCOPE)
    set(${out_folder} ${folder} PARENT_SCOPE)
endfunction()

# varnel_root_sources(<out> <root>/<folder> <source>...)
# The C and C++ sources as links in the folder's root; other files (resources) stay where they are.
function(varnel_root_sources out dir)
    set(sources)
    foreach(source ${ARGN})
        if(source MATCHES "[.](cpp|c)$")
            varnel_link_files(link ${dir} ${source})
            list(APPEND sources ${link})
        else()
            get_filename_component(real ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
            list(APPEND sources ${real})
        endif()
    endforeach()
    set(${out} ${sources} PARENT_SCOPE)
endfunction()

# varnel_library(<name> SOURCES ... DEPS ... [PUBLIC_HEADERS <header>...])
# A folder's library, seeing its own folder and those of its DEPS. With PUBLIC_HEADERS, its users
# see only those headers of the folder; the library's own tests link <name>_internals to see all.
function(varnel_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_HEADERS" ${ARGN})
    varnel_folder_root(root folder PUBLIC_HEADERS ${ARG_PUBLIC_HEADERS})
    varnel_root_sources(sources ${root}/${folder} ${ARG_SOURCES})
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    if(ARG_PUBLIC_HEADERS)
        target_include_directories(${name} PRIVATE ${root} PUBLIC ${root_PUBLIC})
        add_library(${name}_internals INTERFACE)
        target_include_directories(${name}_internals INTERFACE ${root})
        target_link_libraries(${name}_internals INTERFACE ${name})
    else()
        target_include_directories(${name} PUBLIC ${root})
    endif()
endfunction()

# varnel_program(<name> SOURCES ... DEPS ...)
# A program whose entry lives in a folder: it sees that folder and the folders of its DEPS.
function(varnel_program name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    varnel_folder_root(root folder)
    varnel_root_sources(sources ${root}/${folder} ${ARG_SOURCES})
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${root})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# varnel_test(<name> SOURCES ... DEPS ... [ENVIRONMENT VAR=value ...] [LABELS label ...])
# One GoogleTest executable, its tests registered with ctest one by one (with the ctest labels
# given, for `ctest -L`). Tests never start a card daemon by accident, run headless unless they
# say otherwise, and keep whatever a daemon saves of the cards' state inside the build tree.
function(varnel_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ENVIRONMENT;LABELS" ${ARGN})
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    set(environment "VARNEL_NO_AUTOSPAWN=1;VARNEL_HEADLESS=1"
        "XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state" ${ARG_ENVIRONMENT})
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
