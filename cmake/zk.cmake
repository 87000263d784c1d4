# Helpers shared by every folder's CMakeLists.txt.

# Warnings for our own code; third-party headers come in as system includes.
function(zk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Ninja's moc step only re-runs for files it already knew, so a header added
# to a globbed folder would never be moc'ed in an existing build. When the
# folder's list of sources changes, the step's output is removed so that it
# runs again.
function(zk_autogen_follows_sources target srcs)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
  string(REPLACE ";" "\n" content "${srcs}")
  set(old "")
  if(EXISTS ${list_file})
    file(READ ${list_file} old)
  endif()
  if(NOT old STREQUAL "${content}\n")
    file(WRITE ${list_file} "${content}\n")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

# zk_library(<name> [DIR <dir>] [RECURSE] [LIBS ...])
# One static library per folder: every .cpp/.h in the folder (and below with
# RECURSE) belongs to it, so adding a unit needs no edit of the list.
function(zk_library name)
  cmake_parse_arguments(ARG "RECURSE" "DIR" "LIBS;EXCLUDE" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(ARG_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h ${ARG_DIR}/*.qrc)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h ${ARG_DIR}/*.qrc)
  endif()
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  add_library(${name} STATIC ${srcs})
  zk_autogen_follows_sources(${name} "${srcs}")
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  zk_warnings(${name})
endfunction()

# zk_test(<name> [DIR <dir>] LIBS ...)
# A GoogleTest executable of every .cpp in the folder; its main() (from
# zk_testmain) creates an offscreen QApplication and a private settings root.
function(zk_test name)
  cmake_parse_arguments(ARG "RECURSE" "DIR" "LIBS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(ARG_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  zk_autogen_follows_sources(${name} "${srcs}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zk_testmain)
  # Shared test helpers: support/...
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ZK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZK_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
    ZK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  zk_warnings(${name})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt.
function(zk_add_subfolders)
  file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# zk_platform_library(<name> LIBS ...): a layer of src/platform/.
function(zk_platform_library name)
  zk_library(${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY ZK_PLATFORM_LIBS ${name})
endfunction()

# As zk_add_subfolders, leaving out the folders named.
function(zk_add_subfolders_except)
  file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(child IN_LIST ARGN)
      continue()
    endif()
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
