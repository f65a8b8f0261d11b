# The flat widget set, colour-scheme painting, window translation and placement.
add_library(vombrel_toolkit STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Glyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Flatcontrols.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Flatscrollbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Flatlists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Flathint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Menuitems.h
  ${CMAKE_CURRENT_LIST_DIR}/Components.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Colorscheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Translation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Formplacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Menudrawing.cpp
)
target_include_directories(vombrel_toolkit PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_toolkit PUBLIC vombrel_support Qt6::Widgets)
vombrel_strict(vombrel_toolkit)
