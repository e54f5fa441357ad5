# The program's folders are layers, each one static library. A library's headers are
# reachable only through its own include root, a link to its folder in the build tree,
# which its users get by linking it: an include from a layer that is not linked does
# not compile.

# somnara_layer(target): gives the library of the current folder its include root.
function(somnara_layer target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
