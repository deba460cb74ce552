#include "journal/undo.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <set>

#include "cli/cli.h"

namespace korrin::cli {
namespace {

// Prints how an undo went; false when it was not done.
bool Report(const Context& ctx, const journal::UndoResult& result) {
    if (!result.undone) {
        ctx.io.err << result.message << '\n';
        return false;
    }
    ctx.io.out << result.message << '\n';
    if (!result.journal.ok()) {
        ctx.io.err << "warning: this undo could not be recorded, so it cannot itself be undone: "
                   << result.journal.reason << '\n';
    }
    return true;
}

// The record number as history prints it ("#3" or "3"); none for anything else.
std::optional<std::size_t> ParseId(const std::string& text) {
    const std::string digits = text.starts_with("#") ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos || std::stoul(digits) == 0) {
        return std::nullopt;
    }
    return std::stoul(digits);
}

struct UndoArguments {
    std::string target;
    std::string id;  // as history prints it, "#3" or "3"; empty for none
    bool last = false;
    bool all = false;
};

int Undo(const Context& ctx, const UndoArguments& args);

}  // namespace

Command AddUndo(CLI::App& program, bool& /*json*/) {
    auto args = std::make_shared<UndoArguments>();
    CLI::App* undo = program.add_subcommand(
        "undo", "Take an Apply back, where every byte it wrote is still in the target");
    undo->add_option("--target", args->target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    undo->add_option("ID", args->id, "The record to take back, as history numbers it");
    undo->add_flag("--last", args->last, "The newest Apply not taken back yet");
    undo->add_flag("--all", args->all, "Every Apply not taken back yet, newest first");
    undo->footer(
        "Writes back what the Apply found, through the same safe save as Apply, only where\n"
        "every byte it wrote is still there; otherwise names the offsets that differ and\n"
        "changes nothing. Of Applies that changed the same bytes, the newest goes first. An\n"
        "undo is recorded too, so undoing its ID puts the Apply back. Status 1 when nothing\n"
        "could be undone.\n"
        "Examples:\n"
        "  korrin-patch undo --target ~/vp/vplaces.exe --last\n"
        "  korrin-patch undo --target ~/vp/vplaces.exe 3");
    return {undo, [args](const Context& ctx) { return Undo(ctx, *args); }};
}

namespace {

int Undo(const Context& ctx, const UndoArguments& args) {
    const int chosen = (args.id.empty() ? 0 : 1) + (args.last ? 1 : 0) + (args.all ? 1 : 0);
    if (chosen != 1) return UsageError(ctx, "name one record: an ID from history, --last or --all");
    const std::string journalPath = journal::DefaultJournalPath();
    if (!args.id.empty()) {
        const std::optional<std::size_t> id = ParseId(args.id);
        if (!id) {
            return UsageError(
                ctx, "\"" + args.id + "\" is not a record number as history prints it (#3 or 3)");
        }
        return Report(ctx, journal::Undo(ctx.fs, journalPath, args.target, *id)) ? 0 : 1;
    }

    // Newest first; an Apply undone here that comes up again was not recorded as undone, and
    // undoing it twice would only be refused.
    std::set<std::size_t> done;
    for (;;) {
        journal::History history;
        const Status status = journal::ReadHistory(ctx.fs, journalPath, args.target, &history);
        if (!status.ok()) {
            ctx.io.err << "The history of " << args.target
                       << " could not be read: " << status.reason << '\n';
            return 1;
        }
        const std::size_t id = journal::LastApply(history);
        if (id == 0 || done.contains(id)) {
            if (!done.empty()) return 0;
            (args.all ? ctx.io.out : ctx.io.err)
                << "Nothing to undo: no Apply of " << history.target
                << " is recorded that has not been taken back.\n";
            return args.all ? 0 : 1;
        }
        if (!Report(ctx, journal::Undo(ctx.fs, journalPath, args.target, id))) return 1;
        if (args.last) return 0;
        done.insert(id);
    }
}

}  // namespace

}  // namespace korrin::cli
