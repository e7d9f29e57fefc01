# One library target per source folder. Sources are picked up by glob so that
# adding a file to a folder needs no edit of a shared list.

set(ORVALIS_WARNINGS -Wall -Wextra)

# orvalis_library(<target> DEPS <targets...>)
# Builds every .cpp/.h in the current folder into a static library.
function(orvalis_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${target} STATIC ${_src})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
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
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
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
