# korrin-patch: the command-line companion. It links the core alone, never Qt. Every .cpp here
# is part of it, so that a new command is its file and one line in app.cpp.
if(CMAKE_CROSSCOMPILING)
  include(${CMAKE_SOURCE_DIR}/cmake/staged_headers.cmake)
else()
  find_package(CLI11 CONFIG REQUIRED)
  find_package(nlohmann_json 3.10 CONFIG REQUIRED)
endif()

file(GLOB korrin_cli_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(korrin-patch ${korrin_cli_sources})
target_link_libraries(korrin-patch PRIVATE korrin_core CLI11::CLI11 nlohmann_json::nlohmann_json)
if(WIN32)
  # The manifest: UTF-8 arguments and long paths.
  target_sources(korrin-patch PRIVATE ${CMAKE_CURRENT_LIST_DIR}/korrin-patch.rc)
endif()
