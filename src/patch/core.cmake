target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/apply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hex_chunks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inspect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/safe_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_pass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/written_span.cpp
)
