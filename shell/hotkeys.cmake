# Shortcut texts and the global hot-key object. Qt-free; registration goes through the
# interface in platform/Hotkeyregistrar.h.
add_library(vombrel_shell_hotkeys STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Shortcut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Hotkey.cpp)
target_include_directories(vombrel_shell_hotkeys PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vombrel_shell_hotkeys PUBLIC vombrel_support)
vombrel_strict(vombrel_shell_hotkeys)
