# Builds the installer and the zip from the files that ship, run at build time:
#   cmake -DBIN_DIR=... -DOUT_DIR=... -DVERSION=... -DMAKENSIS=... -DNSI=... -P package.cmake
# The list is made here, not at configure time, so that the help file ships as soon as the build
# has made it. Both packages are remade only when the list or a listed file changed.
foreach(v BIN_DIR OUT_DIR VERSION MAKENSIS NSI)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "package.cmake: ${v} is not set")
  endif()
endforeach()

# Shipped files, in install order: the program, then the help file when the build has one.
set(files "${BIN_DIR}/kestrin.exe")
if(NOT EXISTS "${BIN_DIR}/kestrin.exe")
  message(FATAL_ERROR "package.cmake: ${BIN_DIR}/kestrin.exe is missing")
endif()
if(EXISTS "${BIN_DIR}/kestrinhelp.chm")
  list(APPEND files "${BIN_DIR}/kestrinhelp.chm")
endif()

set(setup "${OUT_DIR}/kestrin-${VERSION}-setup.exe")
set(zip "${OUT_DIR}/kestrin-${VERSION}-win32.zip")
set(list_file "${OUT_DIR}/files.txt")
set(nsh "${OUT_DIR}/files.nsh")
set(stamp_file "${OUT_DIR}/package.stamp")

set(stamp "version ${VERSION}\n")
foreach(dep ${files} "${NSI}" "${CMAKE_CURRENT_LIST_FILE}")
  file(SHA256 "${dep}" h)
  string(APPEND stamp "${h} ${dep}\n")
endforeach()
if(EXISTS "${stamp_file}" AND EXISTS "${setup}" AND EXISTS "${zip}")
  file(READ "${stamp_file}" old)
  if(old STREQUAL stamp)
    return()
  endif()
endif()
file(REMOVE "${stamp_file}" "${setup}" "${zip}")
file(MAKE_DIRECTORY "${OUT_DIR}")

set(names "")
set(install_lines "")
set(uninstall_lines "")
foreach(f ${files})
  get_filename_component(name "${f}" NAME)
  string(APPEND names "${name}\n")
  string(APPEND install_lines "  File \"${f}\"\n")
  string(APPEND uninstall_lines "  Delete \"$INSTDIR\\${name}\"\n")
endforeach()
file(WRITE "${list_file}" "${names}")
file(WRITE "${nsh}"
  "; Written by package.cmake: the files that ship.\n"
  "!macro KESTRIN_INSTALL_FILES\n${install_lines}!macroend\n"
  "!macro KESTRIN_UNINSTALL_FILES\n${uninstall_lines}!macroend\n")

execute_process(
  COMMAND "${MAKENSIS}" -V2 -NOCD "-DVERSION=${VERSION}" "-DFILES_NSH=${nsh}" "-DOUTFILE=${setup}" "${NSI}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "makensis failed (${rc}):\n${out}")
endif()

# The zip holds the same files in a folder "Kestrin", as they lie after an install.
set(stage "${OUT_DIR}/zip-stage")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}/Kestrin")
file(COPY ${files} DESTINATION "${stage}/Kestrin")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}" --format=zip Kestrin
  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(REMOVE_RECURSE "${stage}")
if(NOT rc EQUAL 0)
  file(REMOVE "${setup}" "${zip}")
  message(FATAL_ERROR "zip failed (${rc}):\n${out}")
endif()

file(WRITE "${stamp_file}" "${stamp}")
message(STATUS "package: ${setup}")
message(STATUS "package: ${zip}")
