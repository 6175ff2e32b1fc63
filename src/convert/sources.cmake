# Escape decoding, code-page routines and the conversion commands keep their own lists.
include(${CMAKE_CURRENT_LIST_DIR}/escape.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/routines.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/commands.cmake OPTIONAL)
