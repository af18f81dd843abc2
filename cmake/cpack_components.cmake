# Read by cpack when it runs (CPACK_PROJECT_CONFIG_FILE): the manual's package
# only where the manual has been built.
if(NOT EXISTS "${CPACK_ADAPTIVE_MANUAL}/index.html")
  list(REMOVE_ITEM CPACK_COMPONENTS_ALL doc)
  message(STATUS "No adaptive-doc package: the manual is not built (./run.sh docs)")
endif()
