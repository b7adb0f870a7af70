# Small helpers that keep the component build files declarative.

add_library(tessera_options INTERFACE)
target_include_directories(tessera_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(tessera_options INTERFACE -Wall -Wextra -Wshadow -Wno-unused-parameter)
if(TESSERA_WERROR)
  target_compile_options(tessera_options INTERFACE -Werror)
endif()
if(TESSERA_SANITIZE)
  target_compile_options(tessera_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tessera_options INTERFACE -fsanitize=address,undefined)
endif()
if(TESSERA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TESSERA_FUZZ needs clang (libFuzzer); use the fuzz preset")
  endif()
  target_compile_options(tessera_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all
    -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/coverage_ignore.txt)
  target_link_options(tessera_options INTERFACE -fsanitize=address,undefined)
endif()

# tessera_add_library(name SOURCES ... [DEPS ...])
# A static library of kit or host code; position-independent so that plug-ins
# can link it.
function(tessera_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC tessera_options ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON
                                           CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# tessera_add_plugin(name SOURCES ... [DEPS ...] [NO_INSTALL])
# A plug-in library as the host engine loads it: named exactly `name` (no
# "lib" prefix), exporting only what the source marks for export. Windows
# builds install it into the game folder, next to the engine, where the
# engine loads its plug-ins from (NO_INSTALL: a plug-in for checks only).
function(tessera_add_plugin name)
  cmake_parse_arguments(ARG "NO_INSTALL" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tessera_options ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES PREFIX ""
                                           CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    target_link_options(${name} PRIVATE -static-libgcc -static-libstdc++ -Wl,--kill-at)
    if(NOT ARG_NO_INSTALL)
      install(TARGETS ${name} RUNTIME DESTINATION . LIBRARY DESTINATION . ARCHIVE EXCLUDE_FROM_ALL)
    endif()
  elseif(NOT TESSERA_FUZZ)
    # (clang's sanitizer runtimes are in the host program, not in the plug-in)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  set_property(GLOBAL APPEND PROPERTY TESSERA_PLUGINS ${name})
endfunction()

# tessera_add_test(name SOURCES ... [DEPS ...] [PLUGINS ...])
# A GoogleTest program. Each plug-in named under PLUGINS is built first and its
# path reaches the test as the macro <NAME>_PLUGIN_PATH.
function(tessera_add_test name)
  if(NOT TESSERA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PLUGINS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tessera_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  foreach(plugin IN LISTS ARG_PLUGINS)
    add_dependencies(${name} ${plugin})
    string(TOUPPER ${plugin} upper)
    target_compile_definitions(${name} PRIVATE ${upper}_PLUGIN_PATH="$<TARGET_FILE:${plugin}>")
  endforeach()
  target_compile_definitions(${name} PRIVATE TESSERA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()

# tessera_add_benchmark(name SOURCES ... [DEPS ...] [PLUGINS ...])
# A Google Benchmark program; PLUGINS as for tessera_add_test.
function(tessera_add_benchmark name)
  if(NOT TESSERA_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PLUGINS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tessera_options ${ARG_DEPS} benchmark::benchmark)
  foreach(plugin IN LISTS ARG_PLUGINS)
    add_dependencies(${name} ${plugin})
    string(TOUPPER ${plugin} upper)
    target_compile_definitions(${name} PRIVATE ${upper}_PLUGIN_PATH="$<TARGET_FILE:${plugin}>")
  endforeach()
  target_compile_definitions(${name} PRIVATE TESSERA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
