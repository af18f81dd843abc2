# Arithmetic must be reproducible bit for bit on every build: no fused
# multiply-add, no fast-math, and SSE2 doubles instead of the x87 stack on
# 32-bit x86.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "i.86|x86|AMD64|amd64|x86_64")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32)
  # The C runtime that Windows ships prints "%E" with three exponent digits and
  # rounds differently from the C library on Linux; the MinGW implementation of
  # the printf family prints the same text on both.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
  # Everything links statically except the system DLLs, so that the plug-in
  # and adaptsim.exe run from a bare directory.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # What users install carries no symbol tables.
  add_link_options($<$<CONFIG:Release>:-s>)
endif()

# Extra link options of the plug-in itself (platform specific exports).
function(adaptive_plugin_link_options target)
  if(WIN32)
    # The entry points are exported with __declspec(dllexport); --kill-at drops
    # the "@8" of their standard-call names, so the table holds "LMS", not
    # "LMS@8", whichever tokens the build contains. No lib prefix: the host
    # loads "adaptive.dll".
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
endfunction()
