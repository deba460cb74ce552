# korrin-patch: the command-line companion. It links the core alone, never Qt.
if(CMAKE_CROSSCOMPILING)
  include(${CMAKE_SOURCE_DIR}/cmake/staged_headers.cmake)
else()
  find_package(CLI11 CONFIG REQUIRED)
  find_package(nlohmann_json 3.10 CONFIG REQUIRED)
endif()

add_executable(korrin-patch
  ${CMAKE_CURRENT_LIST_DIR}/app.cpp
  ${CMAKE_CURRENT_LIST_DIR}/apply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/show.cpp
  ${CMAKE_CURRENT_LIST_DIR}/style.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update.cpp
)
target_link_libraries(korrin-patch PRIVATE korrin_core CLI11::CLI11 nlohmann_json::nlohmann_json)
if(WIN32)
  # The manifest: UTF-8 arguments and long paths.
  target_sources(korrin-patch PRIVATE ${CMAKE_CURRENT_LIST_DIR}/korrin-patch.rc)
endif()
