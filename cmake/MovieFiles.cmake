# Movies written at build time by a tool of the build, into a folder of the build tree.

# somnara_movie_files(target tool folder comment): the target has the tool, which takes the
# folder as its one argument, write its movies there again whenever the tool changes.
function(somnara_movie_files target tool folder comment)
  set(stamp ${folder}/written.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${tool} ${folder}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${tool}
    COMMENT "${comment}")
  add_custom_target(${target} DEPENDS ${stamp})
endfunction()
