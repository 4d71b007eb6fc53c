# Builds the installer and the zip from the files that ship, run at build time:
#   cmake -DBIN_DIR=... -DOUT_DIR=... -DVERSION=... -DMAKENSIS=... -DNSI=... -DSTRIP=...
#         -DICON=... -P package.cmake
# The list is made here, not at configure time, so that the help file ships as soon as the build
# has made it. Both packages are remade only when the list or a listed file changed.
foreach(v BIN_DIR OUT_DIR VERSION MAKENSIS NSI STRIP ICON)
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
foreach(dep ${files} "${NSI}" "${ICON}" "${CMAKE_CURRENT_LIST_FILE}")
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

# What ships lies in <out>/files: the program without its symbol table (the build keeps it for
# backtraces), the rest as built.
set(ship "${OUT_DIR}/files")
file(REMOVE_RECURSE "${ship}")
file(MAKE_DIRECTORY "${ship}")
set(shipped "")
foreach(f ${files})
  get_filename_component(name "${f}" NAME)
  if(name MATCHES "\\.exe$")
    # strip stamps the PE header with the time it runs unless told otherwise: keep the build's.
    file(READ "${f}" lfanew OFFSET 60 LIMIT 4 HEX)
    string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" lfanew "${lfanew}")
    math(EXPR stamp_at "0x${lfanew} + 8")
    file(READ "${f}" built_at OFFSET ${stamp_at} LIMIT 4 HEX)
    string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" built_at "${built_at}")
    math(EXPR built_at "0x${built_at}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${built_at}"
                            "${STRIP}" --strip-all -o "${ship}/${name}" "${f}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "strip failed on ${f} (${rc}):\n${out}")
    endif()
  else()
    file(COPY "${f}" DESTINATION "${ship}")
  endif()
  list(APPEND shipped "${ship}/${name}")
endforeach()
set(files ${shipped})

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
  COMMAND "${MAKENSIS}" -V2 -NOCD "-DVERSION=${VERSION}" "-DFILES_NSH=${nsh}" "-DOUTFILE=${setup}" "-DICON=${ICON}" "${NSI}"
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
