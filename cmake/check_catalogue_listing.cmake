# Script mode (cmake -P), run by CTest: the catalogue listing of the built
# library must be the checked-in one (GOLDEN), so that every change to what
# the host is told shows up as a change of that file.
foreach(var ADAPTSIM GOLDEN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_catalogue_listing.cmake: ${var} is not set")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/catalogue_listing.cmake)
catalogue_listing("${ADAPTSIM}" listing)
file(READ "${GOLDEN}" golden)
if(NOT listing STREQUAL golden)
  if(DEFINED ACTUAL)
    file(WRITE "${ACTUAL}" "${listing}")
    message(FATAL_ERROR "The catalogue listing differs from ${GOLDEN}: see ${ACTUAL}; "
                        "copy it over the golden file when the change is meant")
  endif()
  message(FATAL_ERROR "The catalogue listing differs from ${GOLDEN}")
endif()
