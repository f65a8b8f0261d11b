# Global hot keys on X11 (key grabs on the root window).
add_library(vombrel_platform_hotkeys STATIC
  ${CMAKE_CURRENT_LIST_DIR}/X11hotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11hotkeys.h
  ${CMAKE_CURRENT_LIST_DIR}/Hotkeyregistrar.h)
target_include_directories(vombrel_platform_hotkeys PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_platform_hotkeys PUBLIC Qt6::Gui PkgConfig::XCB)
vombrel_strict(vombrel_platform_hotkeys)
