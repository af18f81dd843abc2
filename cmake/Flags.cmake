# Arithmetic must be reproducible bit for bit on every build: no fused
# multiply-add, no fast-math, and SSE2 doubles instead of the x87 stack on
# 32-bit x86.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "i.86|x86|AMD64|amd64|x86_64")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# Extra link options of the plug-in itself (platform specific exports).
function(adaptive_plugin_link_options target)
  if(WIN32)
    # Undecorated standard-call names come from the module definition file.
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/host/adaptive.def)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
  endif()
endfunction()
