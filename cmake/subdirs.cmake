# rr_add_subdirectories(DIR): add every folder below DIR (two levels deep at
# most) that holds a CMakeLists.txt, in name order. A folder that is itself
# added stops the descent, so a library may keep sources in subfolders.
# A folder already added (such as tests/support, which the benchmarks need
# too) is passed over.
function(rr_add_subdirectories dir)
  set(base ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
  if(EXISTS ${base}/CMakeLists.txt)
    get_property(added GLOBAL PROPERTY RR_ADDED_FOLDERS)
    if(NOT base IN_LIST added)
      set_property(GLOBAL APPEND PROPERTY RR_ADDED_FOLDERS ${base})
      add_subdirectory(${dir})
    endif()
    return()
  endif()
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${base}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child})
      rr_add_subdirectories(${child})
    endif()
  endforeach()
endfunction()

# rr_public_headers(TARGET ROOT): TARGET's public include folder holds its
# own headers and nothing else: every .h of the current folder, reachable by
# its path below ROOT (src/platform/gfx/core/device.h as
# "platform/gfx/core/device.h"), as links in build/include/TARGET. So a
# library or program finds another library's headers only by linking it, and
# the layers hold by the build, not by convention.
function(rr_public_headers target root)
  file(RELATIVE_PATH folder ${root} ${CMAKE_CURRENT_SOURCE_DIR})
  set(include ${CMAKE_BINARY_DIR}/include/${target})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(REMOVE_RECURSE ${include})
  file(MAKE_DIRECTORY ${include}/${folder})
  foreach(header ${headers})
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${include}/${folder}/${file} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${include})
endfunction()

# rr_library(NAME DEPS...): a static library from every .cpp in the current
# folder, its headers reachable as "layer/file.h" (rr_public_headers). DEPS
# are the libraries whose headers it includes.
function(rr_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  rr_public_headers(${name} ${PROJECT_SOURCE_DIR}/src)
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# rr_test(NAME LABEL [SERIAL] DEPS...): one GoogleTest executable from every
# .cpp in the current folder. LABEL is unit (no display), gfx (needs an X
# display with GL) or e2e (runs the real program). SERIAL keeps its tests
# from running beside any other test (tests that need the X input focus).
function(rr_test name label)
  set(deps ${ARGN})
  set(serial FALSE)
  if(deps)
    list(GET deps 0 first)
    if(first STREQUAL "SERIAL")
      set(serial TRUE)
      list(REMOVE_AT deps 0)
    endif()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${deps} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    RR_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    RR_RUN_DIR="${RR_RUN_DIR}"
    RR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # NO_PRETTY_VALUES: parameterised tests are named by their suffix, not by
  # a dump of their parameter's bytes.
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    NO_PRETTY_VALUES
    PROPERTIES LABELS ${label} RUN_SERIAL ${serial}
    DISCOVERY_TIMEOUT 60)
endfunction()

# rr_bench(NAME DEPS...): one Google Benchmark program from the current folder.
function(rr_bench name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} benchmark::benchmark)
endfunction()
