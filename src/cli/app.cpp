// The command line: its grammar, help and usage errors. The commands themselves are elsewhere.

#include <CLI/CLI.hpp>

#include "cli/cli.h"
#include "platform/executable_folder.h"
#include "update/request.h"

namespace korrin::cli {
namespace {

constexpr const char* kProgram = "korrin-patch";

struct Arguments {
    std::string folder;
    bool json = false;
    std::string entry;
    std::string address;
    int port = update::kUpdatePort;
};

void UsageHint(const Output& io, const std::string& command, const std::string& what) {
    const std::string name = command.empty() ? kProgram : std::string(kProgram) + " " + command;
    io.err << name << ": " << what << " (see '" << name << " --help')\n";
}

// Why no command was recognised: CLI11 only says that one is required.
std::string NoCommand(int argc, char** argv) {
    const std::string commands = "the commands are list, show, check, apply, update and lint";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--folder") {
            ++i;
        } else if (!arg.starts_with("-")) {
            return "unknown command \"" + arg + "\"; " + commands;
        }
    }
    return "no command given; " + commands;
}

CLI::App* AddJson(CLI::App* command, Arguments& args) {
    command->add_flag("--json", args.json, "Print the same facts as JSON, for scripts");
    return command;
}

}  // namespace

int Run(int argc, char** argv, Output io) {
    CLI::App app(
        "The Korrin Patcher catalogue, Apply and online update without a window.\n"
        "The catalogue is the *.pat definition files in the program folder; ENTRY is a "
        "catalogue index from 0 or an exact title.",
        kProgram);
    app.require_subcommand(1, 1);
    app.fallthrough();
    app.footer(
        "Examples:\n"
        "  korrin-patch list\n"
        "  korrin-patch --folder ~/korrin show \"Window title\"\n"
        "  korrin-patch check --target ~/vp/vplaces.exe\n"
        "  korrin-patch lint\n"
        "Exit status: 0 done, 1 failed (the message says why), 2 a usage error.");

    Arguments args;
    app.add_option("--folder", args.folder,
                   "Program folder with the definition files (default: the folder of this "
                   "executable)")
        ->check(CLI::Validator(CLI::ExistingDirectory).description(""))
        ->type_name("DIR");

    CLI::App* list = AddJson(
        app.add_subcommand("list", "The catalogue, one INDEX<TAB>TITLE<TAB>FILE line per entry"),
        args);
    list->footer("Example:\n  korrin-patch --folder ~/korrin list");

    CLI::App* show = AddJson(
        app.add_subcommand("show", "The definition of one entry, as the window reads it"), args);
    show->add_option("ENTRY", args.entry, "Catalogue index from 0, or an exact title")->required();
    show->footer(
        "Prints the description, the value kind, the options' captions and byte lists or the\n"
        "default value, the mode and the signatures; an incomplete definition says what it\n"
        "lacks.\n"
        "Examples:\n  korrin-patch show 0\n  korrin-patch show \"Window title\" --json");

    CLI::App* lint = AddJson(app.add_subcommand("lint",
                                                "What the window would pass over or misread in the "
                                                "definition files"),
                             args);
    lint->footer(
        "Reports missing and repeated keys, \"param:\" values that lack a field, unknown value\n"
        "kinds, hex that the decoder drops, empty signatures, option lists shorter than the\n"
        "signature list, titles the window cannot link to their file, lines ending in LF alone\n"
        "and byte-order marks. Status 1 when there is any finding.\n"
        "Each finding: FILE:LINE: message [code]. Lines count as an editor counts them.\n"
        "Example:\n  korrin-patch --folder ~/korrin lint");

    CLI::App* update = app.add_subcommand(
        "update", "The online update into the program folder, as the Update button runs it");
    update
        ->add_option("ADDRESS", args.address,
                     "Update address: a host, then the path of patch.dsc's folder, no scheme")
        ->required();
    update->add_option("--port", args.port, "TCP port of the update server")
        ->check(CLI::Range(1, 65535))
        ->capture_default_str();
    update->footer(
        "Fetches ADDRESS + patch.dsc with HTTP/1.0, runs it as the update script in the program\n"
        "folder, prints the description it shows, then the message the window would show.\n"
        "Status 0 only for \"Auto update completed.\".\n"
        "Example:\n  korrin-patch --folder ~/korrin update updates.example.org/korrin/");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, io.out, io.err);
    } catch (const CLI::ParseError& e) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        if (chosen.empty()) {
            UsageHint(io, "", NoCommand(argc, argv));
        } else {
            UsageHint(io, chosen.front()->get_name(), e.what());
        }
        return kUsageStatus;
    }

    std::string folder = args.folder.empty() ? platform::ExecutableFolder() : args.folder;
    if (folder.empty()) {
        UsageHint(io, "", "cannot tell the folder of this executable; give --folder");
        return kUsageStatus;
    }
    const Context ctx{platform::WithTrailingSeparator(std::move(folder)),
                      platform::FileSystem::Default(), io};

    CLI::App* chosen = app.get_subcommands().front();
    try {
        if (chosen == list) return ListCommand(ctx, args.json);
        if (chosen == show) return ShowCommand(ctx, args.entry, args.json);
        if (chosen == lint) return LintCommand(ctx, args.json);
        if (chosen == update) return UpdateCommand(ctx, args.address, args.port);
    } catch (const UsageError& e) {
        UsageHint(io, chosen->get_name(), e.what());
        return kUsageStatus;
    }
    return kUsageStatus;
}

}  // namespace korrin::cli
