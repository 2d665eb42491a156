# Sanitizer builds, configured in a build folder of their own:
#   -DMOXICAM_SANITIZER=address   AddressSanitizer with UndefinedBehaviorSanitizer (vptr checks on)
#   -DMOXICAM_SANITIZER=thread    ThreadSanitizer
# A report stops the program (no recovery), so a test that runs into one fails.
#
# With clang the sanitizer runtime is the shared one: the frameworks and plug-ins are shared
# objects linked with --no-undefined, and they need the runtime's symbols at link time just as
# the programs that load them do. (GCC links its shared runtime by default.) Under clang the
# address build also carries the coverage instrumentation that the fuzz targets (fuzz/) feed on.

set(MOXICAM_SANITIZER "" CACHE STRING "Sanitizers to build with: address (ASan+UBSan) or thread (TSan)")
set_property(CACHE MOXICAM_SANITIZER PROPERTY STRINGS "" address thread)

set(MOXICAM_LIBFUZZER OFF)
if(MOXICAM_SANITIZER STREQUAL "address")
  set(moxicam_sanitizer_flags -fsanitize=address,undefined,vptr -fno-sanitize-recover=all)
elseif(MOXICAM_SANITIZER STREQUAL "thread")
  set(moxicam_sanitizer_flags -fsanitize=thread)
elseif(MOXICAM_SANITIZER)
  message(FATAL_ERROR "MOXICAM_SANITIZER is '${MOXICAM_SANITIZER}'; use address or thread")
endif()

if(MOXICAM_SANITIZER)
  add_compile_options(${moxicam_sanitizer_flags} -fno-omit-frame-pointer)
  add_link_options(${moxicam_sanitizer_flags})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir
                    OUTPUT_VARIABLE moxicam_clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
    add_link_options(-shared-libsan "LINKER:-rpath,${moxicam_clang_resources}/lib/linux")
    if(MOXICAM_SANITIZER STREQUAL "address")
      add_compile_options(-fsanitize=fuzzer-no-link)
      set(MOXICAM_LIBFUZZER ON)
    endif()
  endif()
endif()
