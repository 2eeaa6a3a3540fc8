# SPDX-License-Identifier: GPL-3.0-or-later
# The engine's layers meet only through the headers they are allowed to see. Each engine
# target gets an include root of its own under the build tree that holds links to just those
# headers (or folders) of src, so that including anything else does not compile.
#   numerella_include_root(target folder/header.h folder ...)
function(numerella_include_root target)
  set(root ${CMAKE_BINARY_DIR}/include_roots/${target})
  foreach(path IN LISTS ARGN)
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${path})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${path} ${root}/${path} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
