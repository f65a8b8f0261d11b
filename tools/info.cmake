# vombrel-info: prints what the player shows for media files (tags, format labels, length).
add_executable(vombrel-info ${CMAKE_CURRENT_LIST_DIR}/vombrel-info.cpp)
target_link_libraries(vombrel-info PRIVATE vombrel_mediainfo)
vombrel_strict(vombrel-info)
install(TARGETS vombrel-info RUNTIME DESTINATION bin)
