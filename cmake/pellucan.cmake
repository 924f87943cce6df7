# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the folders' CMakeLists: test registration and fixture archives.

# Fixture archives (*.tar.gz / *.tar.xz under tests/fixtures) are unpacked at configure
# time into ${PELLUCAN_FIXTURE_DIR}/<archive name without extension>/.
set(PELLUCAN_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fixtures)

function(pellucan_fixture_archive archive)
  get_filename_component(abs ${archive} ABSOLUTE)
  get_filename_component(name ${abs} NAME)
  string(REGEX REPLACE "\\.tar\\.(gz|xz|zst)$" "" name ${name})
  set(dest ${PELLUCAN_FIXTURE_DIR}/${name})
  set(stamp ${dest}/.stamp)
  if(NOT EXISTS ${stamp} OR ${abs} IS_NEWER_THAN ${stamp})
    file(REMOVE_RECURSE ${dest})
    file(MAKE_DIRECTORY ${dest})
    file(ARCHIVE_EXTRACT INPUT ${abs} DESTINATION ${dest})
    file(TOUCH ${stamp})
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${abs})
endfunction()

# pellucan_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# A GoogleTest executable; every test case becomes a CTest test.
function(pellucan_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    PELLUCAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    PELLUCAN_FIXTURE_DIR="${PELLUCAN_FIXTURE_DIR}"
    PELLUCAN_TEST_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# pellucan_qtest(NAME SOURCES a.cpp LIBS lib1)
# A Qt Test executable run on the offscreen platform.
function(pellucan_qtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
  target_compile_definitions(${name} PRIVATE
    PELLUCAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    PELLUCAN_FIXTURE_DIR="${PELLUCAN_FIXTURE_DIR}"
    PELLUCAN_TEST_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
