# Host (Linux) targets: veltrano-cli, the GoogleTest program, benchmarks, fuzz targets.

file(GLOB CLI_SOURCES CONFIGURE_DEPENDS cli/*.cpp)
add_executable(veltrano-cli ${CLI_SOURCES})
target_include_directories(veltrano-cli PRIVATE ${VELTRANO_OUTSIDE_INCLUDE})
target_link_libraries(veltrano-cli PRIVATE search)
target_compile_options(veltrano-cli PRIVATE ${VELTRANO_WARNINGS})

find_package(GTest REQUIRED)
add_executable(veltrano_tests ${TEST_SOURCES})
target_link_libraries(veltrano_tests PRIVATE search veltrano_mkmailbox sqlite3 GTest::gtest GTest::gtest_main)
target_compile_options(veltrano_tests PRIVATE ${VELTRANO_WARNINGS})
target_compile_definitions(veltrano_tests PRIVATE VELTRANO_CLI_PATH="$<TARGET_FILE:veltrano-cli>")
add_dependencies(veltrano_tests veltrano-cli)
# The manifests of both Windows builds, for the test that reads them.
veltrano_manifest(x86 ${CMAKE_BINARY_DIR}/generated/manifest/x86.manifest)
veltrano_manifest(amd64 ${CMAKE_BINARY_DIR}/generated/manifest/amd64.manifest)
target_compile_definitions(veltrano_tests PRIVATE
                           VELTRANO_MANIFEST_DIR="${CMAKE_BINARY_DIR}/generated/manifest")

# Benchmarks: one executable per bench/*.cpp, run on demand only.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_libraries(bench_${name} PRIVATE search veltrano_mkmailbox)
  target_compile_options(bench_${name} PRIVATE ${VELTRANO_WARNINGS})
endforeach()
# The search benchmark times the command-line program.
# It also runs on the shared real mailbox beside the checkout when there is one, unpacked
# under the build folder.
target_compile_definitions(bench_search_index PRIVATE VELTRANO_CLI_PATH="$<TARGET_FILE:veltrano-cli>"
  VELTRANO_REAL_MAILBOX="${CMAKE_SOURCE_DIR}/../shared/corpus/linux-man-mailbox.tar.gz"
  VELTRANO_UNPACK_DIR="${CMAKE_BINARY_DIR}/corpus")
add_dependencies(bench_search_index veltrano-cli)
# The linking benchmark's baseline is the tests' reference linker.
target_sources(bench_thread_link PRIVATE tests/literal_linker_support.cpp)

# libFuzzer targets: one per fuzz/*.cpp, built with clang when VELTRANO_FUZZ is on.
if(VELTRANO_FUZZ)
  # The layers themselves are instrumented by the top-level VELTRANO_FUZZ options.
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS fuzz/*.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(fuzz_${name} ${src})
    target_link_libraries(fuzz_${name} PRIVATE search)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()
