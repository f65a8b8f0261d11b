# The shell command service over a local socket, and the client mode that sends to it.
add_library(vombrel_platform_shellcmd STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Shellcmdserver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Shellcmdserver.h)
target_link_libraries(vombrel_platform_shellcmd PUBLIC vombrel_platform_instance vombrel_shell_dde Qt6::Core)
vombrel_strict(vombrel_platform_shellcmd)
