# adaptsim(1) from adaptsim's own --help and each command's, by help2man:
#   cmake -DADAPTSIM=exe -DHELP2MAN=help2man -DGZIP=gzip -DOUTPUT=adaptsim.1.gz -P adaptsim_man_page.cmake
# The page is compressed as Debian wants it (gzip -9n: no name, no time stamp).
foreach(variable ADAPTSIM HELP2MAN GZIP OUTPUT)
  if(NOT ${variable})
    message(FATAL_ERROR "adaptsim_man_page.cmake: ${variable} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/catalogue_listing.cmake)  # run_adaptsim

# Verbatim text in roff: a backslash as \e, a line starting with a dot or
# an apostrophe escaped so that it is not a request.
function(roff_verbatim out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

run_adaptsim(${ADAPTSIM} overview --help)
string(REGEX MATCH "Commands:\n(.*)\nOptions:" listing "${overview}")
string(REGEX MATCHALL "\n  [a-z]+  " commands "\n${CMAKE_MATCH_1}")
set(include "[COMMANDS]\n")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  run_adaptsim(${ADAPTSIM} text ${command} --help)
  roff_verbatim(text "${text}")
  string(APPEND include ".SS adaptsim ${command}\n${text}")
endforeach()
string(APPEND include "[FILES]
.TP
.I libadaptive.so
The token library that adaptsim loads unless \\fB\\-\\-library\\fR names another:
the one built beside adaptsim in a build tree, or the one installed with it
(such as \\fI/usr/lib/adaptive/libadaptive.so\\fR for \\fI/usr/bin/adaptsim\\fR).
[SEE ALSO]
The reference manual: what each token computes, its parameters and their
ranges, the file formats and the C++ and Python interfaces
(\\fI/usr/share/doc/adaptive\\-doc/html/index.html\\fR where the adaptive\\-doc
package is installed).
")

get_filename_component(work "${OUTPUT}" DIRECTORY)
file(WRITE ${work}/adaptsim.h2m "${include}")
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1
          "--name=stand-in host that runs the adaptive filter tokens"
          --include=${work}/adaptsim.h2m --output=${work}/adaptsim.1 ${ADAPTSIM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (${status})")
endif()
# The default library's path printed by --help is this build's, not the reader's.
file(READ ${work}/adaptsim.1 page)
string(REGEX REPLACE "\n[^\n]*Default library:[^\n]*" "" page "${page}")
file(WRITE ${work}/adaptsim.1 "${page}")
execute_process(COMMAND ${GZIP} -9nf ${work}/adaptsim.1 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed (${status})")
endif()
if(NOT "${work}/adaptsim.1.gz" STREQUAL "${OUTPUT}")
  file(RENAME ${work}/adaptsim.1.gz ${OUTPUT})
endif()
