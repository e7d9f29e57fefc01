# One library target per source folder. Sources are picked up by glob so that
# adding a file to a folder needs no edit of a shared list.

set(ORVALIS_WARNINGS -Wall -Wextra)

# Precompiled headers: most of a translation unit's time is parsing Qt and GoogleTest. Each
# target compiles cmake/pch/Library.h (or Test.h) once; -DORVALIS_PCH=OFF turns it off to
# check that every file includes what it uses.
option(ORVALIS_PCH "Precompile the Qt and GoogleTest headers" ON)
set(ORVALIS_PCH_DIR ${PROJECT_SOURCE_DIR}/cmake/pch)

# The Qt modules a target reaches through its links, each with the modules it implies: they
# decide the QT_*_LIB definitions, which a shared precompiled header must match.
function(_orvalis_qt_modules target out)
  set(_seen "")
  set(_todo ${target})
  set(_modules "")
  while(_todo)
    list(POP_FRONT _todo _t)
    if(_t IN_LIST _seen)
      continue()
    endif()
    list(APPEND _seen ${_t})
    if(_t MATCHES "^Qt6::(.+)$")
      list(APPEND _modules ${CMAKE_MATCH_1})
      continue()
    endif()
    if(NOT TARGET ${_t})
      continue()
    endif()
    get_target_property(_links ${_t} LINK_LIBRARIES)
    get_target_property(_ilinks ${_t} INTERFACE_LINK_LIBRARIES)
    foreach(_l ${_links} ${_ilinks})
      if(_l AND NOT _l MATCHES "NOTFOUND$|^\\$<")
        list(APPEND _todo ${_l})
      endif()
    endforeach()
  endwhile()
  if("PrintSupport" IN_LIST _modules)
    list(APPEND _modules Widgets)
  endif()
  if("Widgets" IN_LIST _modules OR "Svg" IN_LIST _modules)
    list(APPEND _modules Gui)
  endif()
  list(REMOVE_ITEM _modules Test Svg)
  list(REMOVE_DUPLICATES _modules)
  list(SORT _modules)
  set(${out} ${_modules} PARENT_SCOPE)
endfunction()

# The first target of a kind (library or test program) and Qt level compiles the
# precompiled header; the others of that kind and level reuse it. QTTEST: the target links
# Qt's test library, whose QT_TESTLIB_LIB definition a shared header must match.
function(orvalis_precompile target header)
  cmake_parse_arguments(ARG "QTTEST" "" "" ${ARGN})
  if(NOT ORVALIS_PCH)
    return()
  endif()
  _orvalis_qt_modules(${target} _modules)
  string(REPLACE ";" "_" _key "${header}_${_modules}")
  if(ARG_QTTEST)
    set(_key "${_key}_qttest")
  endif()
  get_property(_host GLOBAL PROPERTY ORVALIS_PCH_HOST_${_key})
  if(_host)
    target_precompile_headers(${target} REUSE_FROM ${_host})
  else()
    target_precompile_headers(${target} PRIVATE ${ORVALIS_PCH_DIR}/${header})
    set_property(GLOBAL PROPERTY ORVALIS_PCH_HOST_${_key} ${target})
  endif()
endfunction()

# Compiles a target sixteen files to a unit when `enabled`: the Qt and gtest templates its
# files share are compiled once instead of sixteen times. Names in anonymous namespaces must
# then differ within the target.
function(orvalis_unity target enabled)
  if(enabled)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
  endif()
endfunction()

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
  orvalis_unity(${target} ${ORVALIS_UNITY_LIBRARIES})
  orvalis_precompile(${target} Library.h)
endfunction()

# orvalis_test(<name> [WIDGETS] DEPS <targets...>)
# One test executable per tests/<folder>, every .cpp in that folder, run through ctest.
# WIDGETS adds the one QApplication that window tests share, and Qt's test helpers.
# Test code is compiled without optimisation (it runs once; the code under test keeps -O2):
# that halves its compile time.
function(orvalis_test name)
  cmake_parse_arguments(ARG "WIDGETS" "FIXTURE;ENVIRONMENT" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(ARG_WIDGETS)
    # The QApplication environment is compiled once for every window test program.
    if(NOT TARGET orv_test_qtapp)
      add_library(orv_test_qtapp OBJECT ${PROJECT_SOURCE_DIR}/tests/support/QtApplication.cpp)
      target_compile_options(orv_test_qtapp PRIVATE ${ORVALIS_WARNINGS} -O0)
      target_link_libraries(orv_test_qtapp PUBLIC Qt6::Widgets GTest::gtest)
    endif()
    list(APPEND ARG_DEPS orv_test_qtapp Qt6::Widgets Qt6::Test)
  endif()
  add_executable(${name} ${_src})
  target_compile_options(${name} PRIVATE ${ORVALIS_WARNINGS} -O0)
  # Test files share one precompiled header of Qt and gtest.
  orvalis_unity(${name} ${ORVALIS_UNITY_TESTS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  if(ARG_WIDGETS)
    orvalis_precompile(${name} Test.h QTTEST)
  else()
    orvalis_precompile(${name} Test.h)
  endif()
  target_compile_definitions(${name} PRIVATE
    ORVALIS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALIS_BINARY_DIR="${PROJECT_BINARY_DIR}")
  include(GoogleTest)
  # Tests that only write pictures for people to look at (names with "Screenshot", the sample
  # pages) stay out of the ordinary run; with -DORVALIS_PICTURES=ON they are registered
  # under the label "pictures": `ctest --test-dir build -L pictures`.
  set(_pictures "*Screenshot*:SamplePages.*")
  # FIXTURE names a ctest fixture every test of the program needs (set up once a run);
  # ENVIRONMENT one more variable for its tests.
  set(_extra ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_FIXTURE)
    list(APPEND _extra FIXTURES_REQUIRED ${ARG_FIXTURE})
  endif()
  if(ARG_ENVIRONMENT)
    string(REPLACE "=" "=set:" _set ${ARG_ENVIRONMENT})
    list(APPEND _extra ENVIRONMENT_MODIFICATION ${_set})
  endif()
  if(ORVALIS_SANITIZE)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/SanitizerOptions.cpp)
    list(APPEND _extra LABELS sanitize)
  endif()
  gtest_discover_tests(${name}
    TEST_FILTER "-${_pictures}"
    PROPERTIES ${_extra}
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
