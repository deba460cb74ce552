// The command line: its grammar, help and usage errors. The commands themselves are elsewhere.

#include <CLI/CLI.hpp>

#include "cli/cli.h"
#include "platform/program_file.h"
#include "update/request.h"

namespace korrin::cli {
namespace {

constexpr const char* kProgram = "korrin-patch";

struct Arguments {
    std::string folder;
    bool json = false;
    std::string entry;
    CheckArguments check;
    ApplyArguments apply;
    int option = 1;
    std::string value;
    std::string address;
    int port = update::kUpdatePort;
    HistoryArguments history;
    UndoArguments undo;
};

void UsageHint(const Output& io, const std::string& command, const std::string& what) {
    const std::string name = command.empty() ? kProgram : std::string(kProgram) + " " + command;
    io.err << name << ": " << what << " (see '" << name << " --help')\n";
}

// Why no command was recognised: CLI11 only says that one is required.
std::string NoCommand(int argc, char** argv) {
    const std::string commands =
        "the commands are list, show, check, apply, history, undo, update and lint";
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

CLI::App* AddJson(CLI::App* command, bool& json) {
    command->add_flag("--json", json, "Print the same facts as JSON, for scripts");
    return command;
}

// A validator that keeps its name out of the help line.
CLI::Validator Quiet(CLI::Validator validator) {
    return validator.description("");
}

}  // namespace

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

    Arguments args;
    app.add_option("--folder", args.folder,
                   "Program folder with the definition files (default: the folder of this "
                   "executable)")
        ->check(Quiet(CLI::ExistingDirectory))
        ->type_name("DIR");

    CLI::App* list = AddJson(
        app.add_subcommand("list", "The catalogue, one INDEX<TAB>TITLE<TAB>FILE line per entry"),
        args.json);
    list->footer(
        "Entries come in the window's order.\nExample:\n  korrin-patch --folder ~/korrin list");

    CLI::App* show =
        AddJson(app.add_subcommand("show", "The definition of one entry, as the window reads it"),
                args.json);
    show->add_option("ENTRY", args.entry, "Catalogue index from 0, or an exact title")->required();
    show->footer(
        "Prints the description, the value kind, the options' captions and byte lists or the\n"
        "default value, the mode and the signatures; an incomplete definition says what it\n"
        "lacks.\n"
        "Examples:\n  korrin-patch show 0\n  korrin-patch show \"Window title\" --json");

    CLI::App* check =
        AddJson(app.add_subcommand("check",
                                   "What the target holds at each entry's sites, and whether "
                                   "Apply would succeed; writes nothing"),
                args.check.json);
    check->add_option("--target", args.check.target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    check->add_option("ENTRY", args.check.entries,
                      "Catalogue indexes from 0 or exact titles (default: every entry)");
    check->footer(
        "For each signature: found or not, the offset of its first occurrence, how many there\n"
        "are (a warning when more than one: Apply patches the first) and the bytes after it.\n"
        "For each entry: which option of a \"yn\" patch the file holds, the number of a \"num\"\n"
        "patch, the text of a \"text\" patch, and whether Apply would succeed with the\n"
        "definition's first option or default value. Status 1 when Apply would fail for any\n"
        "entry checked, or the target cannot be read.\n"
        "Examples:\n"
        "  korrin-patch check --target ~/vp/vplaces.exe\n"
        "  korrin-patch check --target ~/vp/vplaces.exe 0 \"Window title\" --json");

    CLI::App* apply = app.add_subcommand(
        "apply", "Apply one entry to the target, exactly as the window's Apply button does");
    apply->add_option("--target", args.apply.target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    apply->add_option("ENTRY", args.apply.entry, "Catalogue index from 0, or an exact title")
        ->required();
    CLI::Option* option =
        apply->add_option("--option", args.option, "For a \"yn\" patch: the first or second option")
            ->check(Quiet(CLI::IsMember({1, 2})))
            ->type_name("1|2");
    CLI::Option* value =
        apply
            ->add_option("--value", args.value,
                         "For a \"num\" or \"text\" patch: the value (default: the definition's)")
            ->type_name("TEXT")
            ->excludes(option);
    apply->footer(
        "Prints the window's message: on standard output with status 0 for \"Patch completed\n"
        "successfully\", on standard error with status 1 for every other outcome.\n"
        "Examples:\n"
        "  korrin-patch apply --target ~/vp/vplaces.exe 1 --option 2\n"
        "  korrin-patch apply --target ~/vp/vplaces.exe \"Chat line length\" --value 1000");

    CLI::App* update = app.add_subcommand(
        "update", "The online update into the program folder, as the Update button runs it");
    update
        ->add_option("ADDRESS", args.address,
                     "Update address: a host, then the path of patch.dsc's folder, no scheme")
        ->required();
    update->add_option("--port", args.port, "TCP port of the update server (default: 80)")
        ->check(Quiet(CLI::Range(1, 65535)))
        ->type_name("N");
    update->footer(
        "Fetches ADDRESS + patch.dsc with HTTP/1.0, runs it as the update script in the program\n"
        "folder, prints the description it shows, then the message the window would show.\n"
        "Status 0 only for \"Auto update completed.\".\n"
        "Example:\n  korrin-patch --folder ~/korrin update updates.example.org/korrin/");

    CLI::App* lint = AddJson(app.add_subcommand("lint",
                                                "What the window would pass over or misread in the "
                                                "definition files"),
                             args.json);
    lint->footer(
        "Reports missing and repeated keys, \"param:\" values that lack a field, unknown value\n"
        "kinds, hex that the decoder drops, empty signatures, option lists shorter than the\n"
        "signature list, titles the window cannot link to their file, lines ending in LF alone\n"
        "and byte-order marks. Status 1 when there is any finding.\n"
        "Each finding: FILE:LINE: message [code]. Lines count as an editor counts them.\n"
        "Example:\n  korrin-patch --folder ~/korrin lint");

    CLI::App* history = AddHistoryCommand(app, args.history);
    CLI::App* undo = AddUndoCommand(app, args.undo);

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

    std::string folder = args.folder.empty() ? platform::OwnProgramFile().folder : args.folder;
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
        if (chosen == check) return CheckCommand(ctx, args.check);
        if (chosen == apply) {
            if (option->count() > 0) args.apply.option = args.option;
            if (value->count() > 0) args.apply.value = args.value;
            return ApplyCommand(ctx, args.apply);
        }
        if (chosen == update) return UpdateCommand(ctx, args.address, args.port);
        if (chosen == lint) return LintCommand(ctx, args.json);
        if (chosen == history) return HistoryCommand(ctx, args.history);
        if (chosen == undo) return UndoCommand(ctx, args.undo);
    } catch (const UsageError& e) {
        UsageHint(io, chosen->get_name(), e.what());
        return kUsageStatus;
    }
    return kUsageStatus;
}

}  // namespace korrin::cli
