# Helpers every component uses to register its tests, benchmarks and fuzz targets.
include(GoogleTest)
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# Benchmark data lives beside the repository and is read in place, never copied.
set(VESK_SHARED_DATA "${CMAKE_SOURCE_DIR}/../shared/data" CACHE PATH "Benchmark data directory")

# vesk_test(NAME SOURCES... LIBS libs... [X_DISPLAY])
# X_DISPLAY: the binary starts X servers and windows; such tests run one at a time, since X
# servers started side by side under load sometimes take no clients.
function(vesk_test name)
  cmake_parse_arguments(ARG "X_DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(ARG_X_DISPLAY)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES RESOURCE_LOCK x_display)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# vesk_bench(NAME SOURCES... LIBS libs...): built only with VESK_BENCH, into bench/.
function(vesk_bench name)
  if(NOT VESK_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE VESK_SHARED_DATA="${VESK_SHARED_DATA}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# vesk_fuzz(NAME SOURCES... LIBS libs...): built only with VESK_FUZZ, as fuzz_NAME in tools/fuzz/.
function(vesk_fuzz name)
  if(NOT VESK_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools/fuzz)
endfunction()
