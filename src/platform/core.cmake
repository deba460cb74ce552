target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/posix/data_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix/page_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix/posix_file_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix/program_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix/tcp_client.cpp
)
