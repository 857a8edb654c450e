# The tree compiled as a Mac compiles it, here where there is no Mac. Apple's clang uses libc++,
# defines __APPLE__ (so Qt's and libc++'s Mac code is what gets read) and checks every call
# against the deployment target's availability. Two checks, each a ctest test:
#   libcxx_syntax         every source and header a Mac builds: src/, the tests, the benchmarks
#   macos_backend_syntax  src/platform/mac/ and the backend factory, against tests/macos-sdk/
# Each file is compiled with -fsyntax-only, with the flags of the target it belongs to, and again
# only when it or a header it reads changes.

include(${PROJECT_SOURCE_DIR}/src/platform/mac/sources.cmake)
set(MAC_CHECK_DIR ${CMAKE_BINARY_DIR}/as-on-a-mac)
set(MAC_CHECK_SDK ${PROJECT_SOURCE_DIR}/tests/macos-sdk)
find_program(MAC_CHECK_CLANG NAMES clang++)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(MAC_CHECK_ARCH arm64)
else()
  set(MAC_CHECK_ARCH x86_64)
endif()
set(MAC_CHECK_FLAGS
  -target ${MAC_CHECK_ARCH}-apple-macos${CMAKE_OSX_DEPLOYMENT_TARGET}
  -std=c++20 -stdlib=libc++ -fsyntax-only -fPIC -Wall -Wextra -Werror
  # Darwin's C library is the host's here. Clang's Darwin nullability names would hide glibc's
  # own macros of the same names, and glibc declares the POSIX calls libc++ uses only on request.
  -U__nonnull -U__nullable -U__null_unspecified -D_GNU_SOURCE
  -idirafter /usr/include/${CMAKE_LIBRARY_ARCHITECTURE}
  -isystem ${MAC_CHECK_SDK})

# Whether clang and libc++ are here at all: without them each check says what is missing.
set(MAC_CHECK_MISSING "")
if(NOT MAC_CHECK_CLANG)
  set(MAC_CHECK_MISSING "clang++ is missing")
else()
  file(WRITE ${MAC_CHECK_DIR}/probe.cpp "#include <vector>\nint main() { return 0; }\n")
  execute_process(COMMAND ${MAC_CHECK_CLANG} ${MAC_CHECK_FLAGS} ${MAC_CHECK_DIR}/probe.cpp
                  RESULT_VARIABLE MAC_CHECK_PROBE OUTPUT_QUIET ERROR_VARIABLE MAC_CHECK_PROBE_ERROR)
  if(NOT MAC_CHECK_PROBE EQUAL 0)
    set(MAC_CHECK_MISSING "clang++ cannot compile with libc++ for macOS: ${MAC_CHECK_PROBE_ERROR}")
  endif()
endif()

# Every library and executable of a directory and the directories below it.
function(mac_check_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    mac_check_collect_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# One file checked with a target's include folders and definitions; extra: more flags.
function(mac_check_file check file target)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${file})
  string(REPLACE "/" "__" name ${rel})
  file(MAKE_DIRECTORY ${MAC_CHECK_DIR}/${check})
  set(stamp ${MAC_CHECK_DIR}/${check}/${name}.ok)
  set(includes "$<FILTER:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>,EXCLUDE,^/usr/include/?$>")
  set(defines "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${MAC_CHECK_CLANG} ${MAC_CHECK_FLAGS} ${ARGN}
            "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>"
            "$<$<BOOL:${defines}>:-D$<JOIN:${defines},;-D>>"
            -MD -MF ${stamp}.d -MT ${stamp} ${file}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${file}
    DEPFILE ${stamp}.d
    COMMENT "As on a Mac: ${rel}"
    COMMAND_EXPAND_LISTS VERBATIM)
  set_property(GLOBAL APPEND PROPERTY MAC_CHECK_${check} ${stamp})
endfunction()

# Headers no source of their own includes first, so they are never read alone otherwise.
function(mac_check_headers check target language)
  set(flags -x ${language})
  if(language STREQUAL "objective-c++-header")
    list(APPEND flags -fobjc-arc -fblocks)
  endif()
  foreach(header ${ARGN})
    get_filename_component(stem ${header} NAME_WE)
    get_filename_component(dir ${header} DIRECTORY)
    get_filename_component(fileName ${header} NAME)
    set(first "")
    foreach(source ${dir}/${stem}.cpp ${dir}/${stem}.mm)
      if(EXISTS ${source})
        file(STRINGS ${source} first REGEX "^#include " LIMIT_COUNT 1)
      endif()
    endforeach()
    if(NOT first MATCHES "[\"/]${fileName}\"$")
      mac_check_file(${check} ${header} ${target} ${flags})
    endif()
  endforeach()
endfunction()

# A ctest test that brings the check's files up to date, reporting every file that fails.
function(mac_check_test test check)
  if(MAC_CHECK_MISSING)
    add_test(NAME ${test} COMMAND ${CMAKE_COMMAND} -E echo
      "${MAC_CHECK_MISSING} (scripts/install-deps installs clang and libc++)")
    set_tests_properties(${test} PROPERTIES WILL_FAIL ON)
    return()
  endif()
  get_property(stamps GLOBAL PROPERTY MAC_CHECK_${check})
  add_custom_target(${check} DEPENDS ${stamps})
  if(CMAKE_GENERATOR MATCHES "Ninja")
    set(keepGoing -k 0)
  else()
    set(keepGoing -k)
  endif()
  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${check} -j 2 -- ${keepGoing})
  # Both build in this build folder, one at a time.
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK build_folder TIMEOUT 3600)
endfunction()

# Every source a Mac builds, with the flags of its target. The fuzz targets are not among them:
# a Mac has no libFuzzer.
mac_check_collect_targets(${PROJECT_SOURCE_DIR} targets)
set(checked "")
foreach(target ${targets})
  get_target_property(type ${target} TYPE)
  get_target_property(sourceDir ${target} SOURCE_DIR)
  if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY)$" OR sourceDir MATCHES "/fuzz$")
    continue()
  endif()
  get_target_property(sources ${target} SOURCES)
  foreach(source ${sources})
    get_filename_component(file ${source} ABSOLUTE BASE_DIR ${sourceDir})
    get_source_file_property(notOnMac ${file} DIRECTORY ${sourceDir} NIGHTLID_NOT_ON_MAC)
    if(NOT file MATCHES "\\.cpp$" OR file MATCHES "^${PROJECT_SOURCE_DIR}/src/platform/mac/"
       OR notOnMac OR file IN_LIST checked)
      continue()
    endif()
    list(APPEND checked ${file})
    mac_check_file(check_sources_as_on_a_mac ${file} ${target})
  endforeach()
endforeach()
file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.h
     ${PROJECT_SOURCE_DIR}/tests/*.h ${PROJECT_SOURCE_DIR}/bench/*.h)
list(FILTER headers EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/(src/platform/mac|tests/macos-sdk)/")
mac_check_headers(check_sources_as_on_a_mac nightlid_tests c++-header ${headers})
mac_check_test(libcxx_syntax check_sources_as_on_a_mac)

# The macOS backend as nightlid_mac builds it, and the factory that picks it.
foreach(file ${MAC_BACKEND_SOURCES})
  if(file MATCHES "\\.mm$")
    mac_check_file(check_macos_backend ${file} nightlid_core -x objective-c++ -fobjc-arc -fblocks)
  else()
    mac_check_file(check_macos_backend ${file} nightlid_core -x c++)
  endif()
endforeach()
mac_check_file(check_macos_backend ${PROJECT_SOURCE_DIR}/src/backend/ProgramBackend.cpp nightlid
               -DNIGHTLID_MAC_BACKEND)
# The shipped helper's charging controller and the helper factory that picks it.
mac_check_file(check_macos_backend ${PROJECT_SOURCE_DIR}/src/platform/mac/MacSmc.cpp
               nightlid_helper_core -x c++)
mac_check_file(check_macos_backend ${PROJECT_SOURCE_DIR}/src/backend/HostHelperBackend.cpp
               nightlid_helper_core -x c++ -DNIGHTLID_MAC_BACKEND)
file(GLOB backendHeaders CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/mac/*.h)
mac_check_headers(check_macos_backend nightlid_core objective-c++-header ${backendHeaders})
mac_check_test(macos_backend_syntax check_macos_backend)
