# Sanitizer builds, configured in a build folder of their own:
#   -DMOXICAM_SANITIZER=address   AddressSanitizer with UndefinedBehaviorSanitizer (vptr checks on)
#   -DMOXICAM_SANITIZER=thread    ThreadSanitizer
# A report stops the program (no recovery), so a test that runs into one fails.
#
# With clang the sanitizer runtime lives in each program (clang's shared thread runtime does
# not start here), so the frameworks and plug-ins leave its symbols to the program that loads
# them: under clang they are linked without --no-undefined (the normal build keeps that check).
# Under clang the address build also makes the fuzz targets (fuzz/), which give the coverage
# instrumentation they feed on to the libraries they fuzz only: on everything else it would slow
# the instrumented tests down tenfold in their inner loops.

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
    # Link items come after the targets' own options, and the last of -z defs / -z undefs holds.
    link_libraries(-Wl,-z,undefs)
    if(MOXICAM_SANITIZER STREQUAL "address")
      set(MOXICAM_LIBFUZZER ON)
    endif()
  endif()
endif()
