# Colour schemes: roles, the ".clr" file format and colour arithmetic.
target_sources(vombrel_support PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Supportaspetto.cpp)
