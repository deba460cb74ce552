# korrin-patch: the command-line companion. It links the core alone, never Qt. Every .cpp here
# is part of it, so that a new command is its file and one line in app.cpp.
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json 3.10 CONFIG REQUIRED)

file(GLOB korrin_cli_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(korrin-patch ${korrin_cli_sources})
target_link_libraries(korrin-patch PRIVATE korrin_core CLI11::CLI11 nlohmann_json::nlohmann_json)
