#pragma once

// korrin-patch: the catalogue, Apply and the online update without a window. Every rule comes
// from korrin_core; this layer only reads arguments, calls the core and prints.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "common/status.h"
#include "platform/file_system.h"

namespace korrin::cli {

// Where a command prints. The streams are parameters so that a test can hold the output.
struct Output {
    std::ostream& out;
    std::ostream& err;
    bool colour = false;  // only when standard output is a terminal
};

struct Context {
    std::string command;  // the command's name, for messages
    std::string folder;   // the program folder, ending in a separator
    platform::FileSystem& fs;
    Output io;
    bool json = false;  // --json, before or after the command
};

// Status of a usage error.
inline constexpr int kUsageStatus = 2;

// Runs the command line; returns the exit status.
int Run(int argc, char** argv, Output io);

// A command line that names something that is not there, found once the command runs: one line
// on standard error that says what is wrong and where help is, and the usage status.
int UsageError(const Context& ctx, std::string_view what);

// --- Commands. Each file adds one: its grammar on the program's command line, and what runs it
// with the arguments the grammar stored. app.cpp lists the adders.

struct Command {
    CLI::App* grammar = nullptr;
    std::function<int(const Context&)> run;  // returns the exit status
};

// json is the one --json flag of the whole command line: a command that prints JSON binds it
// to its grammar with JsonFlag, and only such a command accepts it.
using CommandAdder = Command (*)(CLI::App& program, bool& json);

Command AddList(CLI::App& program, bool& json);
Command AddShow(CLI::App& program, bool& json);
Command AddCheck(CLI::App& program, bool& json);
Command AddApply(CLI::App& program, bool& json);
Command AddUpdate(CLI::App& program, bool& json);
Command AddLint(CLI::App& program, bool& json);
Command AddHistory(CLI::App& program, bool& json);
Command AddUndo(CLI::App& program, bool& json);

void JsonFlag(CLI::App* command, bool& json);

// --- The catalogue as the window holds it.

struct Selected {
    std::size_t index = 0;
    catalogue::CatalogueEntry entry;
};

std::vector<catalogue::CatalogueEntry> LoadCatalogue(const Context& ctx);

// ENTRY of the command line: an index from 0 when it is all decimal digits, otherwise an exact
// title (the first entry that has it). When the catalogue holds neither, the status's reason
// says so, for a usage error.
Status SelectEntry(const std::vector<catalogue::CatalogueEntry>& entries,
                   const std::string& argument, Selected* selected);

// The definition behind an entry, found from the entry's text as the window finds it.
catalogue::DefinitionView ReadEntryDefinition(const Context& ctx,
                                              const catalogue::CatalogueEntry& entry);

}  // namespace korrin::cli
