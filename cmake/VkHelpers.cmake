# Helpers shared by every subsystem folder: tests, benchmarks and fuzz targets.

set(VK_TEST_TIMEOUT 300 CACHE STRING "Per-test CTest timeout in seconds")

# vk_add_qtest(<name> SOURCES <files...> LIBS <targets...> [ENVIRONMENT <VAR=value...>] [TIMEOUT <s>]
#              [LABELS <labels...>] [PARTS <part...>])
# Builds the QtTest executable tst_<name> and registers it with CTest, headless. A long suite can be
# registered as PARTS that CTest runs in parallel: each part is a "+"-joined list of test functions,
# registered as <name>_<first function>.
# Label "spawns" marks tests that start child processes (TSan in clang 14 cannot follow Qt's fork).
function(vk_add_qtest name)
    if(NOT VK_BUILD_TESTS OR VK_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENVIRONMENT;LABELS;PARTS" ${ARGN})
    add_executable(tst_${name} ${ARG_SOURCES})
    target_link_libraries(tst_${name} PRIVATE Qt6::Test ${ARG_LIBS})
    set(tests)
    if(ARG_PARTS)
        foreach(part IN LISTS ARG_PARTS)
            string(REPLACE "+" ";" functions ${part})
            list(GET functions 0 first)
            add_test(NAME ${name}_${first} COMMAND tst_${name} ${functions})
            list(APPEND tests ${name}_${first})
        endforeach()
    else()
        add_test(NAME ${name} COMMAND tst_${name})
        set(tests ${name})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT ${VK_TEST_TIMEOUT})
    endif()
    set_tests_properties(${tests} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;${ARG_ENVIRONMENT}")
    if(ARG_LABELS)
        set_tests_properties(${tests} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# vk_add_benchmark(<name> SOURCES <files...> LIBS <targets...>)
# Builds bench_<name>; 'make bench' runs every registered benchmark from a release build.
function(vk_add_benchmark name)
    if(NOT VK_BUILD_BENCHMARKS OR VK_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark QUIET)
    add_executable(bench_${name} ${ARG_SOURCES})
    target_link_libraries(bench_${name} PRIVATE ${ARG_LIBS})
    if(benchmark_FOUND)
        target_link_libraries(bench_${name} PRIVATE benchmark::benchmark)
    endif()
    set_property(GLOBAL APPEND PROPERTY VK_BENCHMARKS bench_${name})
endfunction()

# vk_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> CORPUS <dir>)
# The sources define LLVMFuzzerTestOneInput. With VK_FUZZ=ON this builds the libFuzzer binary
# fuzz_<name>, run by 'make fuzz'. Otherwise it builds a regression runner that replays every
# file of CORPUS (seeds and kept crashers) through the same entry point under CTest.
function(vk_add_fuzzer name)
    cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
    if(VK_FUZZ)
        add_executable(fuzz_${name} ${ARG_SOURCES})
        target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        set_property(GLOBAL APPEND PROPERTY VK_FUZZERS fuzz_${name})
        set_property(GLOBAL APPEND PROPERTY VK_FUZZER_CORPORA ${ARG_CORPUS})
    elseif(VK_BUILD_TESTS)
        add_executable(fuzz_regress_${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
        target_link_libraries(fuzz_regress_${name} PRIVATE ${ARG_LIBS})
        add_test(NAME fuzz_regress_${name} COMMAND fuzz_regress_${name} ${ARG_CORPUS})
        set_tests_properties(fuzz_regress_${name} PROPERTIES
            TIMEOUT ${VK_TEST_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=*.debug=false")
    endif()
endfunction()

set(VK_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzz target runs under 'make fuzz'")
set(VK_FUZZ_RUNS -1 CACHE STRING "Executions per fuzz target under 'make fuzz' (-1: bounded by time only)")

# Called once at the end of the top-level CMakeLists.txt.
function(vk_finalize_run_targets)
    get_property(benches GLOBAL PROPERTY VK_BENCHMARKS)
    set(bench_commands COMMAND ${CMAKE_COMMAND} -E echo "Benchmarks: ${benches}")
    foreach(bench IN LISTS benches)
        list(APPEND bench_commands COMMAND ${CMAKE_COMMAND} -E echo "=== ${bench}" COMMAND $<TARGET_FILE:${bench}>)
    endforeach()
    add_custom_target(run_benchmarks ${bench_commands} USES_TERMINAL VERBATIM)
    if(benches)
        add_dependencies(run_benchmarks ${benches})
    endif()

    get_property(fuzzers GLOBAL PROPERTY VK_FUZZERS)
    get_property(corpora GLOBAL PROPERTY VK_FUZZER_CORPORA)
    set(fuzz_commands COMMAND ${CMAKE_COMMAND} -E echo "Fuzz targets: ${fuzzers}")
    foreach(fuzzer corpus IN ZIP_LISTS fuzzers corpora)
        set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${fuzzer})
        list(APPEND fuzz_commands
            COMMAND ${CMAKE_COMMAND} -E make_directory ${work} ${CMAKE_BINARY_DIR}/fuzz-artifacts
            COMMAND ${CMAKE_COMMAND} -E echo "=== ${fuzzer}"
            # UBSan findings are recoverable by default; halt so that libFuzzer keeps them as crashers.
            # A smaller ASan quarantine and allocation stack keep Qt's many small allocations (every log
            # line builds a QDebug stream) from dominating the run time.
            COMMAND ${CMAKE_COMMAND} -E env UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
                    ASAN_OPTIONS=quarantine_size_mb=16:malloc_context_size=5
                    $<TARGET_FILE:${fuzzer}> -max_total_time=${VK_FUZZ_SECONDS} -runs=${VK_FUZZ_RUNS}
                    -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-artifacts/${fuzzer}- -print_final_stats=1
                    ${work} ${corpus})
    endforeach()
    add_custom_target(run_fuzzers ${fuzz_commands} USES_TERMINAL VERBATIM)
    if(fuzzers)
        add_dependencies(run_fuzzers ${fuzzers})
    endif()
endfunction()
