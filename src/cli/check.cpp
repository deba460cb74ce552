// check: what the target holds at every site of the chosen entries, and whether Apply would
// succeed there, as the core's inspection reads it in one pass over the target.

#include <algorithm>
#include <cstdint>

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/style.h"
#include "cli/text.h"
#include "common/text.h"
#include "patch/apply.h"
#include "patch/inspect.h"

namespace korrin::cli {
namespace {

// Offsets listed per signature; the count covers every occurrence.
constexpr std::size_t kListedOffsets = 8;

struct EntryCheck {
    Selected selected;
    catalogue::DefinitionView view;
    patch::EntryReading reading;
};

// What the target holds for the entry, in words.
struct State {
    std::string words;
    Json json;
};

State Words(const catalogue::DefinitionView& view, const patch::HeldValue& value) {
    const auto caption = [&](int n) {
        const catalogue::YnOption& o = n == 1 ? *view.firstOption : *view.secondOption;
        return "option " + std::to_string(n) + " \"" + Printable(o.caption) + "\"";
    };
    switch (value.held) {
        case patch::Held::kNoKind:
            return {"unknown: the definition has no value kind", Json()};
        case patch::Held::kNoSignature:
            return {"unknown: the definition names no signature", Json()};
        case patch::Held::kNotFound:
            return {"unknown: no signature was found", Json()};
        case patch::Held::kBothOptions:
            return {"both options: they write the same bytes here", {{"option", 3}}};
        case patch::Held::kOption:
            return {caption(value.option), {{"option", value.option}}};
        case patch::Held::kMixedOptions:
            return {"mixed: the sites do not hold the same option", {{"option", nullptr}}};
        case patch::Held::kNeitherOption:
            return {"neither option", {{"option", nullptr}}};
        case patch::Held::kNumber:
            return {"holds " + std::to_string(value.number), {{"number", value.number}}};
        case patch::Held::kDifferentNumbers:
            return {"the sites hold different numbers, or too few bytes for one",
                    {{"number", nullptr}}};
        case patch::Held::kText:
            return {"holds \"" + Printable(value.text) + "\"", {{"text", TextJson(value.text)}}};
        case patch::Held::kDifferentTexts:
            return {"the sites hold different texts", {{"text", nullptr}}};
        case patch::Held::kUnknownKind:
            break;
    }
    return {"unknown: \"" + Printable(view.valueKindText) + "\" is not a kind Apply knows", Json()};
}

std::string ValueUsed(const catalogue::DefinitionView& view) {
    if (view.showsOptions()) {
        return "option 1 \"" + Printable(view.firstOption->caption) + "\"";
    }
    return "the value \"" + Printable(view.valueText.value_or("")) + "\"";
}

std::string OffsetList(const patch::Occurrences& occurrences) {
    std::string list;
    for (std::size_t i = 1; i < occurrences.offsets.size(); ++i) {
        if (!list.empty()) list += ", ";
        list += Offset(occurrences.offsets[i]);
    }
    const std::uint64_t unlisted = occurrences.count - occurrences.offsets.size();
    if (unlisted > 0) list += " and " + std::to_string(unlisted) + " more";
    return list;
}

void PrintText(const Output& io, const std::string& target, std::uint64_t size,
               const std::vector<EntryCheck>& checks) {
    const Style style(io.colour);
    std::ostream& out = io.out;
    out << "Target: " << target << ", " << size << " bytes\n";
    for (const EntryCheck& check : checks) {
        out << '\n'
            << check.selected.index << "  " << style.Bold(Printable(check.selected.entry.title))
            << "  (" << check.selected.entry.fileName << ")\n";
        for (const std::string& problem : check.view.problems) {
            out << "   incomplete    " << style.Bad(Printable(problem)) << '\n';
        }
        const patch::EntryReading& reading = check.reading;
        if (!reading.sites.empty()) {
            out << "   mode          " << (reading.orMode ? "or" : "and") << '\n';
        }
        for (std::size_t i = 0; i < reading.sites.size(); ++i) {
            const patch::SiteReading& site = reading.sites[i];
            out << "   signature " << i + 1 << "   " << Printable(site.text) << "  ";
            if (site.bytes.empty()) {
                out << style.Bad("decodes to no bytes") << '\n';
                continue;
            }
            if (site.occurrences.count == 0) {
                out << style.Bad("not found") << '\n';
                continue;
            }
            const std::uint64_t count = site.occurrences.count;
            out << "found at " << Offset(site.occurrences.offsets.front()) << ", " << count
                << (count == 1 ? " occurrence" : " occurrences") << ", followed by "
                << (site.following.empty() ? "nothing: it ends the file" : HexPairs(site.following))
                << '\n';
            if (count > 1) {
                out << "                 " << style.Warn("warning:") << " also at "
                    << OffsetList(site.occurrences) << "; Apply patches the first only\n";
            }
        }
        out << "   state         " << Words(check.view, reading.value).words << '\n';
        if (reading.rehearsal.succeeded()) {
            out << "   Apply         " << style.Good("would succeed") << " with "
                << ValueUsed(check.view) << '\n';
        } else {
            out << "   Apply         " << style.Bad("would fail") << ": "
                << reading.rehearsal.message << '\n';
        }
    }
}

void PrintJson(const Output& io, const std::string& target, std::uint64_t size,
               const std::vector<EntryCheck>& checks) {
    Json entries = Json::array();
    for (const EntryCheck& check : checks) {
        Json sites = Json::array();
        const patch::EntryReading& reading = check.reading;
        for (const patch::SiteReading& site : reading.sites) {
            Json offsets = Json::array();
            for (std::uint64_t at : site.occurrences.offsets) offsets.push_back(at);
            Json json = {{"signature", TextJson(site.text)},
                         {"bytes", HexPairs(site.bytes)},
                         {"found", site.occurrences.count > 0},
                         {"occurrences", site.occurrences.count},
                         {"offsets", offsets},
                         {"following", HexPairs(site.following)}};
            if (check.view.showsOptions()) {
                json["option"] = site.occurrences.count > 0 ? Json(site.option) : Json();
            }
            sites.push_back(json);
        }
        Json problems = Json::array();
        for (const std::string& p : check.view.problems) problems.push_back(TextJson(p));
        const State state = Words(check.view, reading.value);
        entries.push_back(
            {{"index", check.selected.index},
             {"title", TextJson(check.selected.entry.title)},
             {"file", check.selected.entry.fileName},
             {"kind", check.view.hasParam ? TextJson(check.view.valueKindText) : Json()},
             {"problems", problems},
             {"mode", reading.sites.empty() ? Json() : Json(reading.orMode ? "or" : "and")},
             {"signatures", sites},
             {"state", state.json},
             {"stateText", TextJson(state.words)},
             {"applySucceeds", reading.rehearsal.succeeded()},
             {"applyMessage", reading.rehearsal.message}});
    }
    cli::PrintJson(io.out, {{"target", target}, {"size", size}, {"entries", entries}});
}

struct CheckArguments {
    std::string target;
    std::vector<std::string> entries;  // every entry when empty
};

// A target that cannot be read, reported with Apply's own message; as JSON too when asked, so
// that a script reading the output gets an answer either way.
int TargetUnreadable(const Context& ctx, const std::string& target, const std::string& message) {
    ctx.io.err << message << '\n';
    if (ctx.json) {
        cli::PrintJson(ctx.io.out, {{"target", target},
                                    {"size", nullptr},
                                    {"error", message},
                                    {"entries", Json::array()}});
    }
    return 1;
}

int Check(const Context& ctx, const CheckArguments& args) {
    const std::vector<catalogue::CatalogueEntry> catalogue = LoadCatalogue(ctx);
    std::vector<EntryCheck> checks;
    if (args.entries.empty()) {
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            checks.emplace_back().selected = {i, catalogue[i]};
        }
    } else {
        for (const std::string& entry : args.entries) {
            const Status status = SelectEntry(catalogue, entry, &checks.emplace_back().selected);
            if (!status.ok()) return UsageError(ctx, status.reason);
        }
    }

    std::vector<catalogue::DefinitionView> views;
    for (EntryCheck& check : checks) {
        check.view = ReadEntryDefinition(ctx, check.selected.entry);
        views.push_back(check.view);
    }
    patch::Inspection inspection = patch::Inspect(ctx.fs, args.target, views, kListedOffsets);
    if (!inspection.read) return TargetUnreadable(ctx, args.target, inspection.message);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        checks[i].reading = std::move(inspection.entries[i]);
    }

    if (ctx.json) {
        PrintJson(ctx.io, args.target, inspection.size, checks);
    } else {
        PrintText(ctx.io, args.target, inspection.size, checks);
    }
    const bool allSucceed = std::all_of(checks.begin(), checks.end(), [](const EntryCheck& c) {
        return c.reading.rehearsal.succeeded();
    });
    return allSucceed ? 0 : 1;
}

}  // namespace

Command AddCheck(CLI::App& program, bool& json) {
    auto args = std::make_shared<CheckArguments>();
    CLI::App* check = program.add_subcommand(
        "check",
        "What the target holds at each entry's sites, and whether Apply would succeed; writes "
        "nothing");
    JsonFlag(check, json);
    check->add_option("--target", args->target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    check->add_option("ENTRY", args->entries,
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
    return {check, [args](const Context& ctx) { return Check(ctx, *args); }};
}

}  // namespace korrin::cli
