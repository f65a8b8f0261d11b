# Warnings are errors in project code. Targets call vombrel_strict(<target>).
function(vombrel_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Folders shared by several pieces keep each piece's targets in a fragment <piece>.cmake,
# so that independent work never edits the same file. A macro, so that fragments run in
# the folder's own scope. core.cmake fragments belong to the Qt-free core and are
# included by the top level.
macro(vombrel_include_fragments)
  file(GLOB _fragments CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _fragments)
  foreach(_fragment IN LISTS _fragments)
    if(NOT _fragment MATCHES "/core\\.cmake$")
      include(${_fragment})
    endif()
  endforeach()
endmacro()
