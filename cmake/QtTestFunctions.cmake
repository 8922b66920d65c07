# Run after a QtTest program is built (cmake -P): asks it for its test functions and writes a
# CTest script with one test per function, which CTest includes when it runs.
# Takes PROGRAM, NAME (the CTest name prefix), OUTPUT, SLOW (the functions labelled `slow`,
# separated by commas) and RESOURCE_LOCK.

cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} -functions
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE status
  TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} -functions failed (${status}):\n${listing}")
endif()

string(REPLACE "," ";" SLOW "${SLOW}")
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
set(script "")
foreach(function IN LISTS functions)
  string(REPLACE "()" "" function "${function}")
  set(test "${NAME}.${function}")
  set(labels "")
  if(function IN_LIST SLOW)
    set(labels "slow")
  endif()
  string(APPEND script
    "add_test([==[${test}]==] [==[${PROGRAM}]==] [==[${function}]==])\n"
    "set_tests_properties([==[${test}]==] PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen"
    " SKIP_REGULAR_EXPRESSION [==[SKIP   : ]==] LABELS [==[${labels}]==]"
    " RESOURCE_LOCK [==[${RESOURCE_LOCK}]==])\n")
endforeach()
file(WRITE "${OUTPUT}" "${script}")
