# Compiler settings shared by every target, and one way to register each kind of test.

add_compile_options(-Wall -Wextra)
if(CORVANE_WERROR)
  add_compile_options(-Werror)
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
  find_package(PkgConfig REQUIRED)
endif()

# corvane_add_gtest(NAME SOURCES file... LIBS lib...)
# A GoogleTest program registered with CTest.
function(corvane_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_test_support GTest::gtest
                                        GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE CORVANE_APP_DIR="${CORVANE_HOST_ROOT}${CORVANE_APP_DIR}"
                                             CORVANE_SOURCE_DIR="${CORVANE_HOST_ROOT}${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# corvane_add_qttest(NAME SOURCES file... LIBS lib...)
# A QtTest program on real widgets, run with the offscreen platform so no display is needed.
function(corvane_add_qttest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} corvane_test_support Qt6::Test Qt6::Widgets)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                                           AUTOMOC ON)
  target_compile_definitions(${name} PRIVATE CORVANE_APP_DIR="${CORVANE_HOST_ROOT}${CORVANE_APP_DIR}"
                                             CORVANE_SOURCE_DIR="${CORVANE_HOST_ROOT}${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
