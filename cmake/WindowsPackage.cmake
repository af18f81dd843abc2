# `cmake --build build-win --target package-zip`: the zip for users of the
# simulator, with adaptive.dll, the installation text, the licence, the
# catalogue listing and the palette icons the catalogue names. The listing comes from the
# native adaptsim (this build's adaptsim.exe cannot run on the build
# machine): its catalogue is compiled from the same source as the DLL's.
set(ADAPTIVE_NATIVE_ADAPTSIM "${PROJECT_SOURCE_DIR}/build/adaptsim/adaptsim" CACHE FILEPATH
    "native adaptsim that writes the catalogue listing of the Windows package")
if(NOT TARGET icons)
  message(FATAL_ERROR "The Windows package needs the palette icons, which need a Python interpreter")
endif()
set(ADAPTIVE_PACKAGE_ZIP "${CMAKE_BINARY_DIR}/adaptive-win32.zip")
add_custom_target(package-zip
  COMMAND ${CMAKE_COMMAND}
    -DDLL=$<TARGET_FILE:adaptive>
    -DADAPTSIM=${ADAPTIVE_NATIVE_ADAPTSIM}
    -DINSTALL_TEXT=${PROJECT_SOURCE_DIR}/packaging/INSTALL.txt
    -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE
    -DICONS=$<TARGET_PROPERTY:icons,ICON_DIR>
    -DSTAGING=${CMAKE_BINARY_DIR}/package
    -DZIP=${ADAPTIVE_PACKAGE_ZIP}
    -P ${PROJECT_SOURCE_DIR}/cmake/make_package_zip.cmake
  DEPENDS adaptive icons
  COMMENT "Packing ${ADAPTIVE_PACKAGE_ZIP}"
  VERBATIM)
