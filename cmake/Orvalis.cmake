# One library target per source folder. Sources are picked up by glob so that
# adding a file to a folder needs no edit of a shared list.

set(ORVALIS_WARNINGS -Wall -Wextra)

# orvalis_library(<target> DEPS <targets...>)
# Builds every .cpp/.h in the current folder into a static library.
#
# Include scope: a library does not see all of src/. It exports a folder of its own under
# the build tree that holds one link, <its path below src> -> its source folder, so
# "report/output/X.h" resolves only for orv_report_output and what links it. A folder thus
# reaches the headers of itself and of the libraries in its DEPS (and theirs), and an include
# of a layer above it, or beside it, fails to compile.
function(orvalis_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${target} STATIC ${_src})
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(_scope ${PROJECT_BINARY_DIR}/include-scope/${target})
  get_filename_component(_link_parent ${_scope}/${_rel} DIRECTORY)
  file(MAKE_DIRECTORY ${_link_parent})
  if(NOT IS_SYMLINK ${_scope}/${_rel})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${_scope}/${_rel} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${_scope})
  target_compile_options(${target} PRIVATE ${ORVALIS_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# orvalis_test(<name> [WIDGETS] DEPS <targets...>)
# One test executable per tests/<folder>, every .cpp in that folder, run through ctest.
# WIDGETS adds the one QApplication that window tests share, and Qt's test helpers.
function(orvalis_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(ARG_WIDGETS)
    list(APPEND _src ${PROJECT_SOURCE_DIR}/tests/support/QtApplication.cpp)
    list(APPEND ARG_DEPS Qt6::Widgets Qt6::Test)
  endif()
  add_executable(${name} ${_src})
  target_compile_options(${name} PRIVATE ${ORVALIS_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    ORVALIS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALIS_BINARY_DIR="${PROJECT_BINARY_DIR}")
  include(GoogleTest)
  # Tests that only write pictures for people to look at (names with "Screenshot", the sample
  # pages) stay out of the ordinary run; with -DORVALIS_PICTURES=ON they are registered
  # under the label "pictures": `ctest --test-dir build -L pictures`.
  set(_pictures "*Screenshot*:SamplePages.*")
  gtest_discover_tests(${name}
    TEST_FILTER "-${_pictures}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
  if(ORVALIS_PICTURES)
    gtest_discover_tests(${name}
      TEST_FILTER "${_pictures}"
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS pictures
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# orvalis_bench(<name> SOURCES <files...> DEPS <targets...>)
function(orvalis_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${ORVALIS_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE
    ORVALIS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALIS_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()
