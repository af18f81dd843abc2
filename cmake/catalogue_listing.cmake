# adaptsim run from a CMake script (run_adaptsim), and the catalogue listing
# that the Windows package ships as catalogue.txt and
# that tests/plugin/catalogue.txt holds: `adaptsim list` of the plug-in's
# catalogue, then `adaptsim describe` of every token, with LF line ends.
function(run_adaptsim adaptsim out_var)
  execute_process(COMMAND "${adaptsim}" ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "adaptsim ${ARGN} failed (${status}): ${error}")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

function(catalogue_listing adaptsim out_var)
  run_adaptsim("${adaptsim}" listed list)
  # The plug-in's catalogue: `adaptsim list` up to its first blank line, after
  # which it lists the library's families beyond the catalogue.
  string(FIND "${listed}" "\n\n" end)
  if(end GREATER -1)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${listed}" 0 ${end} list)
  else()
    set(list "${listed}")
  endif()
  set(catalogue "Tokens of adaptive.dll\n======================\n\n${list}")
  string(REGEX REPLACE "\n$" "" names "${list}")
  string(REPLACE "\n" ";" lines "${names}")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^[A-Za-z0-9_]+" name "${line}")
    run_adaptsim("${adaptsim}" entry describe "${name}")
    string(APPEND catalogue "\n----------------------------------------------------------------\n${entry}")
  endforeach()
  set(${out_var} "${catalogue}" PARENT_SCOPE)
endfunction()

# The icon files that a catalogue listing names, each once, in catalogue order.
function(catalogue_icons listing out_var)
  string(REGEX MATCHALL "\nIcon: [^\n]+" lines "${listing}")
  list(TRANSFORM lines REPLACE "^\nIcon: " "")
  list(REMOVE_DUPLICATES lines)
  set(${out_var} "${lines}" PARENT_SCOPE)
endfunction()
