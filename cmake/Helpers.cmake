# The standard and third-party headers most files include, compiled once for the libraries and once for
# the test programs instead of parsed again in every file (each kind shares one, REUSE_FROM the first
# target of its kind; a file whose flags differ from that target's parses the headers as before). Off
# unless asked: gcc 12 does not keep the system headers' exemption from warnings for what comes through
# a precompiled header, and its false array-bounds warnings on the standard strings would fail the
# warnings-as-errors build. The sanitizers' build, whose warnings are not errors, takes it.
option(INTEGRACAO_PCH "Precompile the standard and third-party headers" OFF)
set(VYN_PCH_HEADERS <algorithm> <chrono> <cstdint> <filesystem> <fstream> <functional> <map> <memory>
  <optional> <set> <sstream> <stdexcept> <string> <unordered_map> <utility> <variant> <vector>
  <fmt/format.h> <nlohmann/json.hpp>)

# vyn_pch(TARGET KIND [HEADERS...]): TARGET's files take KIND's precompiled headers.
function(vyn_pch target kind)
  if(NOT INTEGRACAO_PCH)
    return()
  endif()
  get_property(first GLOBAL PROPERTY VYN_PCH_${kind})
  if(first)
    target_precompile_headers(${target} REUSE_FROM ${first})
  else()
    set_property(GLOBAL PROPERTY VYN_PCH_${kind} ${target})
    target_precompile_headers(${target} PRIVATE ${VYN_PCH_HEADERS} ${ARGN})
  endif()
endfunction()

# vyn_library(NAME DIR DEPS...): a static library of every .cpp in DIR except its tests.
function(vyn_library name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "_test\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
    vyn_pch(${name} library)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# vyn_tests(NAME DIR DEPS...): one test binary of every *_test.cpp in DIR, each case its own CTest test
# so that ctest -j runs them in parallel.
function(vyn_tests name dir)
  if(NOT INTEGRACAO_TESTS)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  vyn_pch(${name} tests <gtest/gtest.h> <gmock/gmock.h>)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
