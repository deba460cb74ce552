target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/posix_file_system.cpp
)
