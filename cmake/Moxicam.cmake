# Build rules shared by every folder.
#
# The platform stand-ins are shared libraries, one copy per process, laid out as the
# frameworks of a system root under build/Products (System/Library/Frameworks/X.framework/X,
# usr/lib/libX.so). The system's own libraries are static, with hidden visibility, so that
# each deliverable carries its own copy and a plug-in never binds to its host's copy.

set(MOXICAM_PRODUCTS_DIR ${CMAKE_BINARY_DIR}/Products)
set(MOXICAM_FRAMEWORKS_DIR ${MOXICAM_PRODUCTS_DIR}/System/Library/Frameworks)
set(MOXICAM_USR_LIB_DIR ${MOXICAM_PRODUCTS_DIR}/usr/lib)
set(MOXICAM_TOOLS_DIR ${MOXICAM_PRODUCTS_DIR}/usr/bin)

# Every platform framework and system library, in dependency order.
set(MOXICAM_PLATFORM_LIBRARIES
  mach dispatch System CoreFoundation CFNetwork Foundation asl CoreServices Carbon Accelerate
  CoreGraphics CoreText IOSurface CoreVideo CoreMedia CoreMediaIO
  notify dns_sd IOKit Security SystemConfiguration
  OpenGL CoreImage AppKit QuartzCore AVFoundation QTKit
  CoreAudio AudioToolbox CoreMIDI QuickTime)

# A framework's shared object lies inside its bundle, so programs search each bundle's
# folder for it, as the platform's loader finds a framework by its install name.
set(CMAKE_BUILD_RPATH ${MOXICAM_USR_LIB_DIR})
foreach(framework ${MOXICAM_PLATFORM_LIBRARIES})
  list(APPEND CMAKE_BUILD_RPATH ${MOXICAM_FRAMEWORKS_DIR}/${framework}.framework/Versions/A)
endforeach()

macro(moxicam_add_existing_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()

# Sources of a folder: every .cpp except tests.
function(moxicam_folder_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER found EXCLUDE REGEX "(_test\\.cpp|/tests/)")
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# A platform framework: a shared library named like the framework, inside its bundle.
#   moxicam_framework(CoreFoundation SOURCES ... LIBRARIES ...)
function(moxicam_framework name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PRIVATE_LIBRARIES" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set(dir ${MOXICAM_FRAMEWORKS_DIR}/${name}.framework/Versions/A)
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${dir}
    NO_SONAME OFF)
  target_link_options(${name} PRIVATE -Wl,-soname,${name} -Wl,--no-undefined)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/.. ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES} PRIVATE ${ARG_PRIVATE_LIBRARIES})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink Versions/A/${name}
            ${MOXICAM_FRAMEWORKS_DIR}/${name}.framework/${name}
    VERBATIM)
endfunction()

# A platform library that macOS keeps in /usr/lib (libobjc, libdispatch).
function(moxicam_system_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PRIVATE_LIBRARIES" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${MOXICAM_USR_LIB_DIR})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/.. ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES} PRIVATE ${ARG_PRIVATE_LIBRARIES})
endfunction()

# One of the system's own libraries: static, hidden visibility.
function(moxicam_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;INCLUDES" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "library ${name} has no sources")
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_INCLUDES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES})
endfunction()

# A loadable bundle (plug-in) under build/Products: NAME.EXT/Contents/{Info.plist, MacOS/NAME}.
# Only the symbols listed in EXPORTS leave the shared object: the bundle's own sources keep
# default visibility and the version script hides all but those.
#   moxicam_bundle(MoxicamCMIO EXTENSION plugin INFO_PLIST path SOURCES ... LIBRARIES ...
#                  EXPORTS sym ... [OUTPUT_DIR dir] [RESOURCES files...])
function(moxicam_bundle name)
  cmake_parse_arguments(ARG "" "EXTENSION;INFO_PLIST;OUTPUT_DIR;BUNDLE_NAME"
                        "SOURCES;LIBRARIES;EXPORTS;RESOURCES" ${ARGN})
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR ${MOXICAM_PRODUCTS_DIR})
  endif()
  if(NOT ARG_BUNDLE_NAME)
    set(ARG_BUNDLE_NAME ${name})
  endif()
  set(contents ${ARG_OUTPUT_DIR}/${ARG_BUNDLE_NAME}.${ARG_EXTENSION}/Contents)
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${ARG_BUNDLE_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${contents}/MacOS)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.exports.map)
  set(body "{\n  global:\n")
  foreach(sym ${ARG_EXPORTS})
    string(APPEND body "    ${sym};\n")
  endforeach()
  string(APPEND body "  local: *;\n};\n")
  file(WRITE ${script} "${body}")
  target_link_options(${name} PRIVATE -Wl,--version-script=${script} -Wl,--no-undefined)
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${script})
  if(ARG_INFO_PLIST)
    configure_file(${ARG_INFO_PLIST} ${contents}/Info.plist @ONLY)
  endif()
  foreach(res ${ARG_RESOURCES})
    get_filename_component(res_name ${res} NAME)
    configure_file(${res} ${contents}/Resources/${res_name} COPYONLY)
  endforeach()
endfunction()

# A test executable run by CTest; every test gets its own temporary HOME and root
# through the MoxicamTestSupport main. With PRIVATE_NETWORK the program (and every process
# it starts) runs in a network namespace of its own, loopback up, so that tests that open
# fixed ports never meet each other or the machine on them.
function(moxicam_test name)
  cmake_parse_arguments(ARG "PRIVATE_NETWORK" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} MoxicamTestSupport)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(ARG_PRIVATE_NETWORK)
    add_test(NAME ${name} COMMAND private-network $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "MOXICAM_BUILD_PRODUCTS=${MOXICAM_PRODUCTS_DIR}")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# One test program per tests/*_test.cpp of a folder, named <prefix>_<file>, so that the
# tests of one behaviour build and run on their own.
#   moxicam_folder_tests(CoreX LIBRARIES CoreX)
function(moxicam_folder_tests prefix)
  cmake_parse_arguments(ARG "PRIVATE_NETWORK" "TIMEOUT" "LIBRARIES;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(test ${tests})
    get_filename_component(stem ${test} NAME_WE)
    set(extra_args)
    if(ARG_TIMEOUT)
      list(APPEND extra_args TIMEOUT ${ARG_TIMEOUT})
    endif()
    if(ARG_LABELS)
      list(APPEND extra_args LABELS ${ARG_LABELS})
    endif()
    if(ARG_PRIVATE_NETWORK)
      list(APPEND extra_args PRIVATE_NETWORK)
    endif()
    moxicam_test(${prefix}_${stem} SOURCES ${test} LIBRARIES ${ARG_LIBRARIES} ${extra_args})
  endforeach()
endfunction()

# A library of the folder's sources whose every object file is linked, for classes that only
# nibs name (their registrations are static objects the linker would otherwise drop): the
# archive is NAME_Archive, and linking NAME links it whole.
#   moxicam_whole_library(UICocoaViews LIBRARIES AppKit CocoaFoundation)
function(moxicam_whole_library name)
  cmake_parse_arguments(ARG "" "" "LIBRARIES" ${ARGN})
  moxicam_folder_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
  moxicam_library(${name}Archive SOURCES ${sources} LIBRARIES ${ARG_LIBRARIES})
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}Archive>")
endfunction()
