# Helpers to register unit tests and fuzz targets.
#
#   suite_add_test(NAME name SOURCES ... [LIBS ...] [QT])
#       A GoogleTest executable; QT gives it a main() that creates a QApplication
#       (windows are tested under the offscreen platform).
#   suite_add_fuzzer(NAME name SOURCES ... [LIBS ...] [SECONDS n])
#       A libFuzzer target, built only with SUITE_FUZZ; registered with CTest (label "fuzz")
#       as a short run so that the test command exercises it. The short run starts from the
#       checked-in seeds with a fixed random seed (SUITE_FUZZ_SEED), so a red run reproduces on
#       any machine; exploratory runs with fresh seeds are scripts/fuzz.

if(NOT SUITE_FUZZ AND CMAKE_CROSSCOMPILING)
    # No GoogleTest is packaged for the cross compilers: build it from the sources Debian's
    # libgtest-dev ships, with the suite's compiler, under the names find_package gives.
    set(SUITE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${SUITE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(lib gtest gtest_main gmock)
        if(NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
        endif()
    endforeach()
elseif(NOT SUITE_FUZZ)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()

# Cross-built tests run through the emulator (Wine for Windows, cmake/wine-run). Its state is
# made fresh once per test run by a setup test that every other test requires.
if(NOT SUITE_FUZZ AND CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME emulator_setup COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --fresh)
    set_tests_properties(emulator_setup PROPERTIES
        FIXTURES_SETUP emulator TIMEOUT 300
        ENVIRONMENT "SUITE_BINARY_DIR=${PROJECT_BINARY_DIR}")
endif()
add_custom_target(fuzzers)
set(SUITE_FUZZ_SEED 1 CACHE STRING "libFuzzer seed of the short fuzz runs in CTest (0: random)")
set(SUITE_FUZZ_SECONDS "" CACHE STRING "Length of every fuzz run in seconds (empty: each target's own)")

function(suite_add_test)
    if(SUITE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${T_NAME} PRIVATE suite_qt_test_main GTest::gtest Qt6::Widgets ${T_LIBS})
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main GTest::gmock ${T_LIBS})
    endif()
    set(env "QT_QPA_PLATFORM=offscreen;SUITE_SOURCE_DIR=${PROJECT_SOURCE_DIR};SUITE_BINARY_DIR=${PROJECT_BINARY_DIR}")
    if(CMAKE_CROSSCOMPILING)
        # One CTest test per executable: listing the cases would start the emulator at build time
        # and once per case, which under Wine costs more than the tests themselves.
        add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
        if(CMAKE_CROSSCOMPILING_EMULATOR)
            set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED emulator)
        endif()
        return()
    endif()
    gtest_discover_tests(${T_NAME}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        DISCOVERY_TIMEOUT 60)
    # The environment is set by a file CTest reads after the discovered cases: the discovery's own
    # PROPERTIES keeps only the first entry of a list (the rest become property names).
    set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_environment.cmake)
    file(GENERATE OUTPUT ${env_file} CONTENT
"if(DEFINED ${T_NAME}_TESTS)
    set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])
endif()
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()

function(suite_add_fuzzer)
    if(NOT SUITE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(F "" "NAME;SECONDS;CORPUS" "SOURCES;LIBS" ${ARGN})
    if(SUITE_FUZZ_SECONDS)
        set(F_SECONDS ${SUITE_FUZZ_SECONDS})
    elseif(NOT F_SECONDS)
        set(F_SECONDS 15)
    endif()
    math(EXPR timeout "${F_SECONDS} + 300")
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${F_NAME})
    set(corpus_dir ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}_corpus)
    set(seed_args)
    if(F_CORPUS)
        set(seed_args ${F_CORPUS})
    endif()
    add_test(NAME ${F_NAME}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                sh -c "rm -rf '${corpus_dir}' && mkdir -p '${corpus_dir}' && exec \"$0\" -seed=${SUITE_FUZZ_SEED} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -print_final_stats=1 '${corpus_dir}' $*"
                $<TARGET_FILE:${F_NAME}> ${seed_args})
    set_tests_properties(${F_NAME} PROPERTIES LABELS fuzz TIMEOUT ${timeout})
endfunction()
