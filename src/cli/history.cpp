#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/text.h"
#include "common/text.h"
#include "journal/undo.h"

namespace korrin::cli {
namespace {

// Times in machine-readable ISO 8601, for scripts as for people.
std::string Time(std::int64_t seconds) {
    return journal::FormatTime(seconds, "%Y-%m-%dT%H:%M:%SZ");
}

const char* PlacementText(journal::Placement placement) {
    switch (placement) {
        case journal::Placement::kInPlace:
            return "in place";
        case journal::Placement::kPartly:
            return "partly in place";
        case journal::Placement::kOverwritten:
            break;
    }
    return "overwritten";
}

std::string Kind(const journal::HistoryEntry& entry) {
    if (entry.record.kind == journal::RecordKind::kApply) return "apply";
    return entry.undoOf != 0 ? "undo of #" + std::to_string(entry.undoOf) : "undo";
}

Json EntryJson(const journal::HistoryEntry& entry, const std::string& target) {
    const journal::Record& record = entry.record;
    Json spans = Json::array();
    for (const patch::WrittenSpan& span : record.spans) {
        spans.push_back({{"offset", span.offset},
                         {"before", HexPairs(span.before)},
                         {"after", HexPairs(span.after)}});
    }
    Json json = {{"id", entry.id},
                 {"kind", record.kind == journal::RecordKind::kApply ? "apply" : "undo"},
                 {"undoes", entry.undoOf != 0 ? Json(entry.undoOf) : Json()},
                 {"undone_by", entry.undoneBy != 0 ? Json(entry.undoneBy) : Json()},
                 {"state", PlacementText(entry.placement)},
                 {"time", Time(record.time)},
                 {"title", TextJson(record.title)},
                 {"file", record.file},
                 {"value", TextJson(record.value)},
                 {"recorded_for", record.targetPath},
                 {"size", record.targetSize},
                 {"spans", spans}};
    if (record.targetPath == target) json.erase("recorded_for");
    return json;
}

struct HistoryArguments {
    std::string target;
};

int History(const Context& ctx, const HistoryArguments& args);

}  // namespace

Command AddHistory(CLI::App& program, bool& json) {
    auto args = std::make_shared<HistoryArguments>();
    CLI::App* history =
        program.add_subcommand("history", "The Applies recorded for a target, newest first");
    history->add_option("--target", args->target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    JsonFlag(history, json);
    history->footer(
        "Each record: its ID, time (UTC), what it was (an apply, or the undo of another), the\n"
        "entry, its file and value, whether the target still holds what it wrote (in place,\n"
        "partly in place, overwritten) and each span it changed: offset, before -> after.\n"
        "A moved target shows the records of the place it was moved from.\n"
        "Example:\n  korrin-patch history --target ~/vp/vplaces.exe");
    return {history, [args](const Context& ctx) { return History(ctx, *args); }};
}

namespace {

int History(const Context& ctx, const HistoryArguments& args) {
    journal::History history;
    const Status status =
        journal::ReadHistory(ctx.fs, journal::DefaultJournalPath(), args.target, &history);
    if (!status.ok()) {
        ctx.io.err << "The history of " << args.target << " could not be read: " << status.reason
                   << '\n';
        return 1;
    }
    if (ctx.json) {
        Json records = Json::array();
        for (const journal::HistoryEntry& entry : history.entries) {
            records.push_back(EntryJson(entry, history.target));
        }
        PrintJson(ctx.io.out, {{"target", history.target}, {"records", records}});
        return 0;
    }
    if (history.entries.empty()) {
        ctx.io.out << "No Apply of " << history.target << " is recorded.\n";
        return 0;
    }
    for (const journal::HistoryEntry& entry : history.entries) {
        const journal::Record& record = entry.record;
        ctx.io.out << '#' << entry.id << "  " << Time(record.time) << "  " << Kind(entry) << "  "
                   << Printable(record.title) << " (" << record.file << ") = \""
                   << Printable(record.value) << "\"  " << PlacementText(entry.placement);
        if (entry.undoneBy != 0) ctx.io.out << ", taken back by #" << entry.undoneBy;
        ctx.io.out << '\n';
        if (record.targetPath != history.target) {
            ctx.io.out << "    recorded for " << record.targetPath << '\n';
        }
        for (const patch::WrittenSpan& span : record.spans) {
            ctx.io.out << "    at " << Offset(span.offset) << ": " << HexPairs(span.before)
                       << " -> " << HexPairs(span.after) << '\n';
        }
    }
    return 0;
}

}  // namespace

}  // namespace korrin::cli
