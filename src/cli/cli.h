#pragma once

// korrin-patch: the catalogue, Apply and the online update without a window. Every rule comes
// from korrin_core; this layer only reads arguments, calls the core and prints.

#include <cstddef>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace korrin::cli {

// Where a command prints. The streams are parameters so that a test can hold the output.
struct Output {
    std::ostream& out;
    std::ostream& err;
    bool colour = false;  // only when standard output is a terminal
};

struct Context {
    std::string folder;  // the program folder, ending in a separator
    platform::FileSystem& fs;
    Output io;
};

// A command line that names something that is not there. Ends the run with status 2 and a
// one-line hint, as a malformed command line does.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Status of a usage error.
inline constexpr int kUsageStatus = 2;

// Runs the command line; returns the exit status.
int Run(int argc, char** argv, Output io);

// --- The catalogue as the window holds it.

struct Selected {
    std::size_t index = 0;
    catalogue::CatalogueEntry entry;
};

std::vector<catalogue::CatalogueEntry> LoadCatalogue(const Context& ctx);

// ENTRY of the command line: an index from 0 when it is all decimal digits, otherwise an exact
// title (the first entry that has it). Throws UsageError when the catalogue holds neither.
Selected SelectEntry(const std::vector<catalogue::CatalogueEntry>& entries,
                     const std::string& argument);

// The definition behind an entry, found from the entry's text as the window finds it.
catalogue::DefinitionView ReadEntryDefinition(const Context& ctx,
                                              const catalogue::CatalogueEntry& entry);

// --- Commands. Each returns the exit status.

struct CheckArguments {
    std::string target;
    std::vector<std::string> entries;  // every entry when empty
    bool json = false;
};

struct ApplyArguments {
    std::string target;
    std::string entry;
    std::optional<int> option;  // 1 or 2
    std::optional<std::string> value;
};

struct HistoryArguments {
    std::string target;
    bool json = false;
};

struct UndoArguments {
    std::string target;
    std::string id;  // as history prints it, "#3" or "3"; empty for none
    bool last = false;
    bool all = false;
};

int ListCommand(const Context& ctx, bool json);
int ShowCommand(const Context& ctx, const std::string& entry, bool json);
int CheckCommand(const Context& ctx, const CheckArguments& args);
int ApplyCommand(const Context& ctx, const ApplyArguments& args);
int LintCommand(const Context& ctx, bool json);
int UpdateCommand(const Context& ctx, const std::string& address, int port);
int HistoryCommand(const Context& ctx, const HistoryArguments& args);
int UndoCommand(const Context& ctx, const UndoArguments& args);

// The grammar of the commands that keep their own: each adds itself to app, filling args.
CLI::App* AddHistoryCommand(CLI::App& app, HistoryArguments& args);
CLI::App* AddUndoCommand(CLI::App& app, UndoArguments& args);

}  // namespace korrin::cli
