target_sources(korrin_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmPatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_location.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_owner.cpp
)
