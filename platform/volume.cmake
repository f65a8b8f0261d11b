# The main window's output volume on the sound server's default sink: the server access
# and the event-following watch are Qt-free; the follower hands changes to Qt's event loop.
add_library(vombrel_platform_volume STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Volume.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Volumewatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Volumefollower.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Volumefollower.h
)
target_include_directories(vombrel_platform_volume PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_volume PUBLIC vombrel_wave PkgConfig::PULSE Threads::Threads Qt6::Core)
vombrel_strict(vombrel_platform_volume)
