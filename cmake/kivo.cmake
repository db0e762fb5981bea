# One place for warnings, sanitizers and test discovery.

set(KIVO_WARNINGS -Wall -Wextra -Wconversion -Wshadow -Werror)
set(KIVO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

function(kivo_apply_flags target)
  target_compile_options(${target} PRIVATE ${KIVO_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(KIVO_SANITIZE)
    target_compile_options(${target} PRIVATE ${KIVO_SANITIZER_FLAGS})
    target_link_options(${target} PRIVATE ${KIVO_SANITIZER_FLAGS})
  endif()
endfunction()

# kivo_library(name SOURCES a.cpp ... DEPS lib ...)
function(kivo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  kivo_apply_flags(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# kivo_program(name SOURCES main.cpp DEPS lib ...): an installed program in bin/.
function(kivo_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kivo_apply_flags(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  install(TARGETS ${name} RUNTIME DESTINATION bin)
endfunction()

# kivo_test(name SOURCES t.cpp ... DEPS lib ... [LABELS l ...])
function(kivo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kivo_apply_flags(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS "${ARG_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# kivo_bench(name SOURCES b.cpp ... DEPS lib ...)
function(kivo_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kivo_apply_flags(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

if(KIVO_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(KIVO_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

# kivo_glob_library(name [EXCLUDE file ...] DEPS lib ...): a library of every .cpp
# in the current folder, so that new units need no edit here.
function(kivo_glob_library name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  kivo_library(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
endfunction()

# kivo_glob_tests(prefix DEPS lib ...): one test program per *_test.cpp in the
# current folder, named prefix_<file>.
function(kivo_glob_tests prefix)
  cmake_parse_arguments(ARG "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(source ${sources})
    get_filename_component(stem ${source} NAME_WE)
    kivo_test(${prefix}_${stem} SOURCES ${source} DEPS ${ARG_DEPS} LABELS ${ARG_LABELS})
  endforeach()
endfunction()

# kivo_glob_benches(DEPS lib ...): one benchmark program per *_bench.cpp.
function(kivo_glob_benches)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_bench.cpp)
  foreach(source ${sources})
    get_filename_component(stem ${source} NAME_WE)
    kivo_bench(${stem} SOURCES ${source} DEPS ${ARG_DEPS})
  endforeach()
endfunction()
