# Compiler settings shared by every target, and one way to register each kind of test.

add_compile_options(-Wall -Wextra)
if(CORVANE_WERROR)
  add_compile_options(-Werror)
endif()
if(CORVANE_STRICT_WARNINGS)
  add_compile_options(-Wshadow -Wnull-dereference -Wformat=2)
endif()
# GCC 12 reports false -Wrestrict overlaps inside std::string's inlined copies at -O3
# (GCC bug 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  find_package(PkgConfig REQUIRED)
endif()

# corvane_add_gtest(NAME SOURCES file... LIBS lib... [SLOW filter...] [RESOURCE_LOCK resource])
# A GoogleTest program; CTest runs each of its tests on its own, named NAME.Suite.Test. Tests
# that match a SLOW filter (GoogleTest's pattern, e.g. RealProcess.*) are labelled `slow`;
# RESOURCE_LOCK keeps the program's tests from running at once with others that name it.
# Parameterised tests are named by their rows' names, without the parameter's bytes.
function(corvane_add_gtest name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS;SLOW" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_test_support GTest::gtest
                                        GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE CORVANE_APP_DIR="${CORVANE_HOST_ROOT}${CORVANE_APP_DIR}"
                                             CORVANE_SOURCE_DIR="${CORVANE_HOST_ROOT}${PROJECT_SOURCE_DIR}")
  set(properties "")
  if(ARG_RESOURCE_LOCK)
    set(properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Each start under the emulator (wine) costs a second: one CTest entry per program, and
    # no listing of its tests at build time.
    add_test(NAME ${name} COMMAND ${name})
    if(properties)
      set_tests_properties(${name} PROPERTIES ${properties})
    endif()
  elseif(ARG_SLOW)
    list(JOIN ARG_SLOW ":" slow)
    gtest_discover_tests(${name} TEST_PREFIX ${name}. TEST_FILTER -${slow} DISCOVERY_TIMEOUT 60
                         NO_PRETTY_VALUES PROPERTIES ${properties})
    gtest_discover_tests(${name} TEST_PREFIX ${name}. TEST_FILTER ${slow} DISCOVERY_TIMEOUT 60
                         NO_PRETTY_VALUES PROPERTIES LABELS slow ${properties})
  else()
    gtest_discover_tests(${name} TEST_PREFIX ${name}. DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                         PROPERTIES ${properties})
  endif()
endfunction()

# corvane_add_qttest(NAME SOURCES file... LIBS lib... [SLOW function...] [RESOURCE_LOCK resource])
# A QtTest program on real widgets, run with the offscreen platform so no display is needed.
# CTest runs each test function on its own, named NAME.function; the program lists them
# after each build. SLOW and RESOURCE_LOCK as for corvane_add_gtest, by function name.
function(corvane_add_qttest name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS;SLOW" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_test_support Qt6::Test Qt6::Widgets)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                                           AUTOMOC ON)
  target_compile_definitions(${name} PRIVATE CORVANE_APP_DIR="${CORVANE_HOST_ROOT}${CORVANE_APP_DIR}"
                                             CORVANE_SOURCE_DIR="${CORVANE_HOST_ROOT}${PROJECT_SOURCE_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator the program's listing is lost (wine drops QtTest's standard output):
    # one test runs all its functions.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    return()
  endif()
  # CTest includes the list once the program has been built; before, one test says so.
  set(tests_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_tests.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  file(WRITE ${include_file}
       "if(EXISTS \"${tests_file}\")\n  include(\"${tests_file}\")\n"
       "else()\n  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  list(JOIN ARG_SLOW "," slow)
  add_custom_command(
    TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DNAME=${name}
            -DOUTPUT=${tests_file} -DSLOW=${slow} -DRESOURCE_LOCK=${ARG_RESOURCE_LOCK}
            -P ${PROJECT_SOURCE_DIR}/cmake/QtTestFunctions.cmake
    BYPRODUCTS ${tests_file}
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
