# GoogleTest: the system package on Linux, Debian's source package built for the target when
# cross-compiling (the mingw-w64 build cannot link the Linux libraries).
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(TPD_GTEST_MAIN GTest::gtest_main)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# tpd_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable, its cases discovered when
# ctest runs (under the emulator for the Windows build).
function(tpd_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tpd_test_support GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "TPD_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
