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

# A framework's shared object lies inside its bundle, so programs search each bundle's folder
# for it, as the platform's loader finds a framework by its install name. What lies in
# build/Products finds the frameworks through run paths relative to itself ($ORIGIN), so that
# build/Products can be copied or installed anywhere and still runs; programs of the build tree
# (tests, probes) search the build's frameworks where they are.
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_BUILD_RPATH ${MOXICAM_USR_LIB_DIR})
foreach(framework ${MOXICAM_PLATFORM_LIBRARIES})
  list(APPEND CMAKE_BUILD_RPATH ${MOXICAM_FRAMEWORKS_DIR}/${framework}.framework/Versions/A)
endforeach()

# Gives a target that lies in build/Products (at dir) run paths relative to itself: the folder
# of every framework and usr/lib. Programs and bundles are also copied elsewhere below a root
# (into an application's Helpers or PlugIns, or by the install helper into the plug-in folders
# of the local domain, <root>/Library/CoreMediaIO/Plug-Ins/DAL/B/Contents/MacOS): they search
# the frameworks from every folder up to seven levels above themselves.
#   moxicam_product_rpath(target dir [ANY_DEPTH])
function(moxicam_product_rpath target dir)
  cmake_parse_arguments(ARG "ANY_DEPTH" "" "" ${ARGN})
  file(RELATIVE_PATH up ${dir} ${MOXICAM_PRODUCTS_DIR})
  if(up STREQUAL "")
    set(up .)
  endif()
  set(ups ${up})
  if(ARG_ANY_DEPTH)
    list(APPEND ups . .. ../.. ../../.. ../../../.. ../../../../.. ../../../../../.. ../../../../../../..)
    list(REMOVE_DUPLICATES ups)
  endif()
  set(paths)
  foreach(up ${ups})
    list(APPEND paths "\$ORIGIN/${up}/usr/lib")
    foreach(framework ${MOXICAM_PLATFORM_LIBRARIES})
      list(APPEND paths "\$ORIGIN/${up}/System/Library/Frameworks/${framework}.framework/Versions/A")
    endforeach()
  endforeach()
  set_target_properties(${target} PROPERTIES BUILD_RPATH "${paths}" MOXICAM_PRODUCT_RPATH ON)
endfunction()

# Every program and library that the build puts in build/Products gets those run paths, also
# when it is made with plain add_executable (tools such as camera-host): once every folder is
# read, the targets whose output lies in Products and that have none yet get them.
function(moxicam_targets_below dir out)
  get_property(found DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    moxicam_targets_below(${subdirectory} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(moxicam_products_rpaths)
  moxicam_targets_below(${CMAKE_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(done ${target} MOXICAM_PRODUCT_RPATH)
    if(done)
      continue()
    elseif(type STREQUAL "EXECUTABLE")
      get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
    elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      get_target_property(dir ${target} LIBRARY_OUTPUT_DIRECTORY)
    else()
      continue()
    endif()
    string(FIND "${dir}/" "${MOXICAM_PRODUCTS_DIR}/" at)
    if(dir AND at EQUAL 0)
      moxicam_product_rpath(${target} ${dir} ANY_DEPTH)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL moxicam_products_rpaths)

# Public headers, as system code sees them: <Framework/Header.h> for every header of a platform
# folder outside its backend/ and tests/ folders. A framework's backend headers are reachable only
# from the framework's own sources.
set(MOXICAM_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include)
file(REMOVE_RECURSE ${MOXICAM_INCLUDE_DIR})

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

# Makes the public headers of a platform folder visible as <include_name/...> (links in the
# public include tree, so that a header's own quoted includes resolve beside it).
function(moxicam_public_headers include_name dir)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${dir} ${dir}/*.h)
  list(FILTER headers EXCLUDE REGEX "^(backend|tests|host)/")
  foreach(header ${headers})
    set(link ${MOXICAM_INCLUDE_DIR}/${include_name}/${header})
    get_filename_component(folder ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${dir}/${header} ${link} SYMBOLIC)
  endforeach()
endfunction()

# Lets out of a shared object only what a version script names: C names as they are and C++
# names as demangled (globs, or quoted for one name exactly); everything else stays inside.
function(moxicam_export_only target c_names cxx_names)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.map)
  set(body "{\n  global:\n")
  foreach(name ${c_names})
    string(APPEND body "    ${name};\n")
  endforeach()
  if(cxx_names)
    string(APPEND body "    extern \"C++\" {\n")
    foreach(name ${cxx_names})
      string(APPEND body "      ${name};\n")
    endforeach()
    string(APPEND body "    };\n")
  endif()
  string(APPEND body "  local: *;\n};\n")
  file(WRITE ${script} "${body}")
  target_link_options(${target} PRIVATE -Wl,--version-script=${script} -Wl,--no-undefined)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()

# What every platform shared library has: hidden visibility, the public include tree, its own
# folder for its backend, and a version script that lets out only the platform names it stands
# in for:
#   EXPORTS      C names (globs: CF* kCF* _CF*)
#   CXX_EXPORTS  C++ names as demangled (globs: NS* objc*), with the type information, virtual
#                tables, thunks and guard variables of the classes they name
# A test checks the library's dynamic symbols against the same names (tools/check-exports).
#   HEADERS_AT_ROOT  its headers are <header.h>, as the platform keeps them in /usr/include
function(moxicam_platform_library name)
  cmake_parse_arguments(ARG "HEADERS_AT_ROOT" "" "EXPORTS;CXX_EXPORTS" ${ARGN})
  if(NOT ARG_EXPORTS AND NOT ARG_CXX_EXPORTS)
    message(FATAL_ERROR "${name}: a platform library lists the platform names it exports (EXPORTS, CXX_EXPORTS)")
  endif()
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_HEADERS_AT_ROOT)
    moxicam_public_headers("" ${CMAKE_CURRENT_SOURCE_DIR})
  else()
    moxicam_public_headers(${name} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  target_include_directories(${name} PUBLIC ${MOXICAM_INCLUDE_DIR} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

  set(cxx_names)
  foreach(pattern ${ARG_CXX_EXPORTS})
    # Demangled names hold spaces, which an unquoted glob cannot: '?' stands for them.
    foreach(form "" "typeinfo?for?" "typeinfo?name?for?" "vtable?for?" "non-virtual?thunk?to?"
                 "virtual?thunk?to?" "guard?variable?for?")
      list(APPEND cxx_names "${form}${pattern}")
    endforeach()
  endforeach()
  moxicam_export_only(${name} "${ARG_EXPORTS}" "${cxx_names}")

  add_test(NAME ${name}_ExportedNames
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-exports $<TARGET_FILE:${name}>
            --c ${ARG_EXPORTS} --cxx ${ARG_CXX_EXPORTS})
endfunction()

# A platform framework: a shared library named like the framework, inside its bundle.
#   moxicam_framework(CoreFoundation SOURCES ... LIBRARIES ... EXPORTS CF* kCF* ...)
function(moxicam_framework name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PRIVATE_LIBRARIES;EXPORTS;CXX_EXPORTS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set(dir ${MOXICAM_FRAMEWORKS_DIR}/${name}.framework/Versions/A)
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${dir}
    NO_SONAME OFF)
  moxicam_product_rpath(${name} ${dir})
  target_link_options(${name} PRIVATE -Wl,-soname,${name})
  moxicam_platform_library(${name} EXPORTS ${ARG_EXPORTS} CXX_EXPORTS ${ARG_CXX_EXPORTS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES} PRIVATE ${ARG_PRIVATE_LIBRARIES})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink Versions/A/${name}
            ${MOXICAM_FRAMEWORKS_DIR}/${name}.framework/${name}
    VERBATIM)
endfunction()

# A platform library that macOS keeps in /usr/lib (libobjc, libdispatch).
function(moxicam_system_library name)
  cmake_parse_arguments(ARG "HEADERS_AT_ROOT" "" "SOURCES;LIBRARIES;PRIVATE_LIBRARIES;EXPORTS;CXX_EXPORTS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${MOXICAM_USR_LIB_DIR})
  moxicam_product_rpath(${name} ${MOXICAM_USR_LIB_DIR})
  set(at_root)
  if(ARG_HEADERS_AT_ROOT)
    set(at_root HEADERS_AT_ROOT)
  endif()
  moxicam_platform_library(${name} ${at_root} EXPORTS ${ARG_EXPORTS} CXX_EXPORTS ${ARG_CXX_EXPORTS})
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
# default visibility and the version script hides all but those. C names are listed as they
# are, C++ functions as they read ("NQCMIO::DisplayFactoryInterfaces()").
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
  moxicam_product_rpath(${name} ${contents}/MacOS ANY_DEPTH)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  set(c_names)
  set(cxx_names)
  foreach(sym ${ARG_EXPORTS})
    if(sym MATCHES "::|\\(")
      list(APPEND cxx_names "\"${sym}\"")
    else()
      list(APPEND c_names "${sym}")
    endif()
  endforeach()
  moxicam_export_only(${name} "${c_names}" "${cxx_names}")
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
