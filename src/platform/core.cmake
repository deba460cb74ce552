target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/page_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_file_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/executable_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tcp_client.cpp
)
