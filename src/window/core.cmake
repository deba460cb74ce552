target_sources(korrin_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/selection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/apply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_location.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undo.cpp
)
