// The program's own grammar (--folder, --json, --help), the list of commands, and usage errors
// in korrin-patch's words. Each command's grammar lives with its implementation.

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/cli.h"
#include "platform/program_file.h"

namespace korrin::cli {
namespace {

constexpr const char* kProgram = "korrin-patch";

// One line per command, in the order the help lists them.
constexpr CommandAdder kCommands[] = {AddList,    AddShow, AddCheck,  AddApply,
                                      AddHistory, AddUndo, AddUpdate, AddLint};

void UsageHint(std::ostream& err, const std::string& command, std::string_view what) {
    const std::string name = command.empty() ? kProgram : std::string(kProgram) + " " + command;
    err << name << ": " << what << " (see '" << name << " --help')\n";
}

std::string CommandNames(const std::vector<Command>& commands) {
    std::string names;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) names += i + 1 == commands.size() ? " and " : ", ";
        names += commands[i].grammar->get_name();
    }
    return names;
}

// Why no command was recognised: the parser only says that one is required.
std::string NoCommand(const std::vector<std::string>& args, const std::vector<Command>& commands) {
    const std::string known = "the commands are " + CommandNames(commands);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--folder") {
            ++i;
        } else if (!args[i].starts_with("-")) {
            return "unknown command \"" + args[i] + "\"; " + known;
        }
    }
    return "no command given; " + known;
}

std::string Lowered(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] += 'a' - 'A';
    return text;
}

// The parser's message for a malformed command line, said as korrin-patch says things. Only the
// parser's kinds of error that the grammars here can raise are reworded; the shapes of their
// messages are those of the CLI11 version the build finds.
std::string PlainUsage(const CLI::ParseError& error, CLI::App* command) {
    const std::string what = error.what();
    const std::string name = what.substr(0, what.find(':'));
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        if (what.find("At Most") != std::string::npos) return name + " may be given only once";
        return name + " needs a value after it";
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && command != nullptr) {
        for (const CLI::Option* option : command->get_options()) {
            if (option->get_required() && option->count() == 0) {
                return "give " + option->get_name() + ": " + Lowered(option->get_description());
            }
        }
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::string extras = what.substr(what.find(": ") + 2);
        const std::string first = extras.substr(0, extras.find(' '));
        if (first.starts_with("-")) return command->get_name() + " has no option " + first;
        return "one argument too many: \"" + first + "\"";
    }
    return Lowered(what);
}

// "--name=" with nothing after the sign is an empty value, as "--name ''" is; the parser would
// take it for a missing one.
std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--") && arg.size() > 3 && arg.back() == '=' &&
            arg.find('=') + 1 == arg.size()) {
            args.push_back(arg.substr(0, arg.size() - 1));
            args.emplace_back();
        } else {
            args.push_back(arg);
        }
    }
    return args;
}

}  // namespace

int UsageError(const Context& ctx, std::string_view what) {
    UsageHint(ctx.io.err, ctx.command, what);
    return kUsageStatus;
}

void JsonFlag(CLI::App* command, bool& json) {
    command->add_flag("--json", json, "Print the same facts as JSON, for scripts");
}

int Run(int argc, char** argv, Output io) {
    CLI::App app(
        "The Korrin Patcher catalogue, Apply and online update without a window.\n"
        "The catalogue is the *.pat definition files in the program folder; ENTRY is a\n"
        "catalogue index from 0 or an exact title.",
        kProgram);
    app.require_subcommand(1, 1);
    app.fallthrough();
    app.footer(
        "Examples:\n"
        "  korrin-patch list\n"
        "  korrin-patch --folder ~/korrin show \"Window title\"\n"
        "  korrin-patch check --target ~/vp/vplaces.exe\n"
        "  korrin-patch apply --target ~/vp/vplaces.exe \"Window title\" --value \"My VP\"\n"
        "  korrin-patch history --target ~/vp/vplaces.exe\n"
        "  korrin-patch undo --target ~/vp/vplaces.exe --last\n"
        "  korrin-patch update updates.example.org/korrin/\n"
        "  korrin-patch lint\n"
        "Each command has --help. Exit status: 0 done, 1 failed (the message says why), 2 a\n"
        "usage error.");

    std::string folder;
    bool json = false;
    app.add_option("--folder", folder,
                   "Program folder with the definition files (default: the folder of this "
                   "executable)")
        ->type_name("DIR");
    app.add_flag("--json", json, "For list, show, check and lint: print JSON, for scripts");

    std::vector<Command> commands;
    for (const CommandAdder add : kCommands) commands.push_back(add(app, json));

    const std::vector<std::string> args = Arguments(argc, argv);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());  // taken from the back
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        if (chosen.empty()) {
            UsageHint(io.err, "", NoCommand(args, commands));
        } else {
            UsageHint(io.err, chosen.front()->get_name(), PlainUsage(e, chosen.front()));
        }
        return kUsageStatus;
    }

    CLI::App* chosen = app.get_subcommands().front();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const Command& c) { return c.grammar == chosen; });
    Context ctx{chosen->get_name(), {}, platform::FileSystem::Default(), io, json};
    if (json && chosen->get_option_no_throw("--json") == nullptr) {
        return UsageError(ctx, "--json is for list, show, check and lint");
    }
    if (folder.empty()) {
        folder = platform::OwnProgramFile().folder;
        if (folder.empty())
            return UsageError(ctx, "cannot tell the folder of this executable; give --folder");
    } else if (std::error_code error; !std::filesystem::is_directory(folder, error)) {
        return UsageError(ctx, "--folder: there is no folder " + folder);
    }
    ctx.folder = platform::WithTrailingSeparator(std::move(folder));
    return command->run(ctx);
}

}  // namespace korrin::cli
