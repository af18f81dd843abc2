# Script mode (cmake -P), run by CTest: the Python package's setup.py, run by
# PYTHON, gives the project's VERSION; run without the interpreter's packages
# (-S) it stops at once and names the interpreter and Debian packages to use.
foreach(var PYTHON SOURCE VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_python_setup.cmake: ${var} is not set")
  endif()
endforeach()
execute_process(COMMAND "${PYTHON}" setup.py --version WORKING_DIRECTORY "${SOURCE}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR NOT output STREQUAL VERSION)
  message(FATAL_ERROR "setup.py --version gave \"${output}\" (status ${status}), not the project's ${VERSION}")
endif()
execute_process(COMMAND "${PYTHON}" -S setup.py --version WORKING_DIRECTORY "${SOURCE}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
foreach(part "cannot build with ${PYTHON}" "it has no pybind11, numpy, setuptools, wheel"
             "sudo apt-get install python3-pybind11 pybind11-dev python3-numpy"
             "/usr/bin/python3 -m venv --system-site-packages venv")
  string(FIND "${error}" "${part}" at)
  if(status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "setup.py without its packages (status ${status}) does not say \"${part}\":\n${output}${error}")
  endif()
endforeach()
