# Script mode (cmake -P), run by the package-zip target: stages adaptive.dll,
# INSTALL.txt, LICENSE.txt, catalogue.txt and the icons that the catalogue names, and zips
# them. An icon the catalogue names but ICONS lacks, or one drawn for no
# token, stops the packing. The text files get CRLF line ends for the Windows
# editors that need them.
foreach(var DLL ADAPTSIM INSTALL_TEXT LICENSE ICONS STAGING ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_package_zip.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${ADAPTSIM}")
  message(FATAL_ERROR "The catalogue listing needs the native adaptsim at ${ADAPTSIM}: "
                      "build the native tree first (./run.sh test), or set ADAPTIVE_NATIVE_ADAPTSIM")
endif()

function(write_crlf path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${path}" "${text}")
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/catalogue_listing.cmake)
catalogue_listing("${ADAPTSIM}" catalogue)
catalogue_icons("${catalogue}" icons)
file(GLOB drawn RELATIVE "${ICONS}" "${ICONS}/*.wmf")
set(missing ${icons})
list(REMOVE_ITEM missing ${drawn})
set(unnamed ${drawn})
list(REMOVE_ITEM unnamed ${icons})
if(missing OR unnamed)
  message(FATAL_ERROR "The icons in ${ICONS} do not match the catalogue: "
                      "missing [${missing}], named by no token [${unnamed}]")
endif()

file(REMOVE_RECURSE "${STAGING}")
file(MAKE_DIRECTORY "${STAGING}")
file(COPY "${DLL}" DESTINATION "${STAGING}")
list(TRANSFORM icons PREPEND "${ICONS}/" OUTPUT_VARIABLE icon_paths)
file(COPY ${icon_paths} DESTINATION "${STAGING}")
file(READ "${INSTALL_TEXT}" install)
write_crlf("${STAGING}/INSTALL.txt" "${install}")
file(READ "${LICENSE}" license)
write_crlf("${STAGING}/LICENSE.txt" "${license}")
write_crlf("${STAGING}/catalogue.txt" "${catalogue}")
file(REMOVE "${ZIP}")
get_filename_component(dll_name "${DLL}" NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip "${dll_name}" INSTALL.txt LICENSE.txt catalogue.txt ${icons}
                WORKING_DIRECTORY "${STAGING}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
