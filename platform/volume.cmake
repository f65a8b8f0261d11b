# The main window's output volume on the sound server's default sink. Qt-free.
add_library(vombrel_platform_volume STATIC ${CMAKE_CURRENT_LIST_DIR}/Volume.cpp)
target_include_directories(vombrel_platform_volume PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_volume PUBLIC vombrel_wave)
vombrel_strict(vombrel_platform_volume)
