target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/reception.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/response.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update.cpp
)
