# Windows numbers a version in four parts, where the project's version may give fewer: the
# parts it leaves out are 0 (0.6 is 0.6.0.0). The version resource takes the same numbers
# separated by commas.
set(CORVANE_WINDOWS_VERSION ${PROJECT_VERSION_MAJOR})
foreach(part MINOR PATCH)
  if(PROJECT_VERSION_${part})
    string(APPEND CORVANE_WINDOWS_VERSION .${PROJECT_VERSION_${part}})
  else()
    string(APPEND CORVANE_WINDOWS_VERSION .0)
  endif()
endforeach()
string(APPEND CORVANE_WINDOWS_VERSION .0)
string(REPLACE . , corvane_rc_version ${CORVANE_WINDOWS_VERSION})

# corvane_add_version_resource(TARGET DESCRIPTION [ICON file.ico])
# On Windows, gives the program a version resource (the version, the publisher and the
# copyright from the top-level CMakeLists.txt) and, with ICON, the icon Explorer shows for it.
function(corvane_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "ICON" "")
  set(corvane_rc_name ${target})
  set(corvane_rc_description ${description})
  set(corvane_rc_icon "")
  if(arg_ICON)
    # The lowest-numbered icon is the one Explorer shows for the program.
    set(corvane_rc_icon "1 ICON \"${arg_ICON}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
