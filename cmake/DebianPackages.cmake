# `cpack -G DEB` in a build tree (after the build, and after ./run.sh docs for
# the manual's package): the Debian packages, one per component.
#   libadaptive      the plug-in libadaptive.so (component plugin)
#   libadaptive-dev  headers, archives and the CMake package (component dev)
#   adaptsim         the stand-in host and its man page (component adaptsim)
#   adaptive-doc     the reference manual in HTML (component doc), where
#                    build/docs/html has been built
# Each holds the licence (copyright), the changes of CHANGELOG.md
# (changelog.gz) and the packaging's own changelog (changelog.Debian.gz).
# The packages install under /usr, the plug-in in /usr/lib/adaptive, where
# adaptsim finds it.
#
# lintian finds no error in them (.ci/packages.sh checks); the warnings that
# remain, and why they stay:
#   initial-upload-closes-no-bugs  the packages are not uploaded to Debian, so
#                                  there is no bug asking for them to close
#   maintscript-calls-ldconfig     CPack adds an ldconfig call for any shared
#                                  object under /usr/lib, the plug-in's own
#                                  directory too; it is harmless there

set(ADAPTIVE_DEB_PACKAGES plugin libadaptive adaptsim adaptsim dev libadaptive-dev doc adaptive-doc)
set(ADAPTIVE_DEB_RELEASE 1)
set(ADAPTIVE_DEB_MAINTAINER "The adaptive authors <adaptive@example.org>")

# The release date of this version, from its heading in CHANGELOG.md.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/manual-copyright)
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md heading ENCODING UTF-8 REGEX "^## ${PROJECT_VERSION} .*[0-9]+-[0-9]+-[0-9]+")
if(NOT heading MATCHES "([0-9]+-[0-9]+-[0-9]+)")
  message(FATAL_ERROR "CHANGELOG.md has no heading '## ${PROJECT_VERSION} — YYYY-MM-DD' for this version")
endif()
execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_1}" OUTPUT_VARIABLE release_date OUTPUT_STRIP_TRAILING_WHITESPACE)

set(debian_dir ${CMAKE_BINARY_DIR}/debian)
file(MAKE_DIRECTORY ${debian_dir})
# The licence in Debian's machine-readable copyright format.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
file(WRITE ${debian_dir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: adaptive
Upstream-Contact: ${ADAPTIVE_DEB_MAINTAINER}

Files: *
Copyright: 2026 The adaptive authors
License: MIT

License: MIT
 ${license}
")
file(WRITE ${debian_dir}/changelog.Debian
"adaptive (${PROJECT_VERSION}-${ADAPTIVE_DEB_RELEASE}) unstable; urgency=medium

  * Version ${PROJECT_VERSION}, packaged by CPack from the CMake project: its
    changes are in changelog.gz.

 -- ${ADAPTIVE_DEB_MAINTAINER}  ${release_date}
")
# The manual's package adds the Sphinx files it ships.
file(READ ${PROJECT_SOURCE_DIR}/packaging/manual-copyright manual_copyright)
file(READ ${debian_dir}/copyright copyright)
file(WRITE ${debian_dir}/copyright-doc "${copyright}\n${manual_copyright}")
configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${debian_dir}/changelog COPYONLY)
foreach(file changelog changelog.Debian)
  execute_process(COMMAND gzip -9nc ${debian_dir}/${file} OUTPUT_FILE ${debian_dir}/${file}.gz RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${debian_dir}/${file}")
  endif()
endforeach()

set(CPACK_COMPONENT_PLUGIN_DESCRIPTION "adaptive filter tokens: the plug-in library
libadaptive.so offers 24 adaptive filter blocks (LMS, NLMS, general-gradient
LMS and NLMS, Newton, RLS, QR-decomposition least squares and random-walk
RLS) to a block-diagram signal simulator that loads it at run time, and to
adaptsim and programs that load it with the C++ interface.")
set(CPACK_DEBIAN_PLUGIN_PACKAGE_SECTION libs)

set(CPACK_COMPONENT_DEV_DESCRIPTION "adaptive filter tokens: C++ interface and CMake package
The headers <adaptive/filter.h> and the static libraries of the C++ interface
to the adaptive filter tokens, with the CMake package that
find_package(adaptive CONFIG REQUIRED) finds: link adaptive::adaptive.")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DEPENDS plugin)

set(CPACK_COMPONENT_ADAPTSIM_DESCRIPTION "stand-in host that runs the adaptive filter tokens
adaptsim loads the adaptive filter plug-in the way the block-diagram
simulator does and runs its tokens from the command line over CSV and sound
files; its demo sets every token the same identification problem and
reports how well each solved it.")
set(CPACK_DEBIAN_ADAPTSIM_PACKAGE_SECTION science)
set(CPACK_COMPONENT_ADAPTSIM_DEPENDS plugin)

set(CPACK_COMPONENT_DOC_DESCRIPTION "adaptive filter tokens: reference manual
What every adaptive filter token computes, the meaning, range and default
of its parameters and how to keep it stable; the C++ and Python interfaces,
adaptsim and the file formats; guides with figures, in HTML.")
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)

set(manual ${CMAKE_BINARY_DIR}/docs/html)
while(ADAPTIVE_DEB_PACKAGES)
  list(POP_FRONT ADAPTIVE_DEB_PACKAGES component package)
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  # Control files have no licence field: the description's last paragraph
  # names it, so that dpkg -s shows it.
  string(APPEND CPACK_COMPONENT_${COMPONENT}_DESCRIPTION "\n\nLicense: MIT (/usr/share/doc/${package}/copyright).")
  # Not in `cmake --install`: these are the packages' own.
  set(copyright copyright)
  if(component STREQUAL "doc")
    set(copyright copyright-doc)
  endif()
  install(FILES ${debian_dir}/${copyright} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          RENAME copyright COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${debian_dir}/changelog.gz ${debian_dir}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endwhile()

# The manual's pages, with the scripts, fonts and MathJax of Debian's
# packages that built them (the package depends on them) linked in, as
# Debian's own manuals do.
set(manual_static share/doc/adaptive-doc/html/_static)
set(linked_scripts _sphinx_javascript_frameworks_compat.js doctools.js jquery.js language_data.js
    searchtools.js sphinx_highlight.js underscore.js)
set(links)
foreach(script IN LISTS linked_scripts)
  list(APPEND links ${script} share/javascript/sphinxdoc/1.0/${script})
endforeach()
list(APPEND links css share/sphinx_rtd_theme/static/css js share/sphinx_rtd_theme/static/js
     fonts share/sphinx_rtd_theme/static/fonts mathjax share/javascript/mathjax)
set(excluded)
set(link_code)
while(links)
  list(POP_FRONT links name target)
  list(APPEND excluded PATTERN ${name} EXCLUDE)
  file(RELATIVE_PATH relative /${manual_static} /${target})
  string(APPEND link_code "file(CREATE_LINK ${relative} \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${manual_static}/${name}\" SYMBOLIC)\n")
endwhile()
install(DIRECTORY ${manual}/ DESTINATION share/doc/adaptive-doc/html
        COMPONENT doc EXCLUDE_FROM_ALL OPTIONAL PATTERN .buildinfo EXCLUDE ${excluded})
install(CODE "${link_code}" COMPONENT doc EXCLUDE_FROM_ALL)
set(CPACK_DEBIAN_DOC_PACKAGE_DEPENDS "libjs-sphinxdoc, sphinx-rtd-theme-common, libjs-mathjax")
# cpack leaves adaptive-doc out when the manual has not been built.
set(CPACK_ADAPTIVE_MANUAL ${manual})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_components.cmake)

set(CPACK_PACKAGE_NAME adaptive)
set(CPACK_PACKAGE_VENDOR "The adaptive authors")
set(CPACK_PACKAGE_CONTACT "${ADAPTIVE_DEB_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL plugin dev adaptsim doc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ADAPTIVE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ADAPTIVE_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

include(CPack)
