# brackwater_library(NAME SOURCES... [LINKS LIBRARIES...])
#
# One library per folder. A library offers its folder's headers through an include root of its
# own in the build tree, which holds links to those headers alone, and it links the libraries
# it may use. So a file that includes a header of a library its own does not link finds nothing
# and fails to compile: the layers cannot reach up or sideways unnoticed.
function(brackwater_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LINKS")
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${folder}/${file} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  add_library(${name} ${arg_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${arg_LINKS})
endfunction()
