# The gallery: every class of the widget set in one window, painted from a scheme file.
add_executable(vombrel-gallery ${CMAKE_CURRENT_LIST_DIR}/gallery.cpp)
target_link_libraries(vombrel-gallery PRIVATE vombrel_toolkit)
vombrel_strict(vombrel-gallery)
