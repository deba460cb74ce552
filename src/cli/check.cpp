// check: what the target holds at every site of the chosen entries, and whether Apply would
// succeed there, read from one load of the target and written nowhere.

#include <algorithm>
#include <map>

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/style.h"
#include "cli/text.h"
#include "common/text.h"
#include "patch/apply.h"
#include "patch/hex.h"
#include "patch/occurrences.h"
#include "patch/search.h"
#include "patch/vp_patch.h"

namespace korrin::cli {
namespace {

// Offsets listed per signature; the count covers every occurrence.
constexpr std::size_t kListedOffsets = 8;
// Bytes shown after a site when the definition does not tell how many Apply would write.
constexpr std::size_t kShownWhenUnknown = 8;
// The longest text read after a "text" site, unless the default value is longer: texts in an
// executable end at a zero byte, which a patch may not have written but the file still has.
constexpr std::size_t kLongestText = 64;

struct Site {
    std::string text;  // as the definition writes it
    patch::Bytes bytes;
    patch::Occurrences occurrences;
    std::string following;  // after the first occurrence, as many as Apply would write there
    // Which option's bytes follow ("yn"): 1, 2, 3 for both alike, 0 for neither.
    int option = 0;
};

struct EntryCheck {
    Selected selected;
    catalogue::DefinitionView view;
    bool orMode = false;
    std::vector<Site> sites;
    patch::ApplyResult rehearsal;
};

std::vector<patch::Bytes> OptionItems(const std::string& list) {
    std::vector<patch::Bytes> items;
    for (const std::string& item : SplitList(list, ',')) items.push_back(patch::HexToBytes(item));
    return items;
}

// Whether the bytes at `at` are those that writing `bytes` there would leave, cut at the end
// of the data as a write is.
bool Holds(std::string_view data, std::size_t at, std::string_view bytes) {
    if (bytes.empty() || at >= data.size()) return false;
    const std::size_t count = std::min(bytes.size(), data.size() - at);
    return data.substr(at, count) == bytes.substr(0, count);
}

void ReadSites(EntryCheck& check, std::string_view data) {
    const catalogue::DefinitionView& view = check.view;
    const std::vector<patch::Bytes> on = OptionItems(view.onBytes());
    const std::vector<patch::Bytes> off = OptionItems(view.offBytes());
    const auto item = [](const std::vector<patch::Bytes>& items, std::size_t i) {
        return i < items.size() ? items[i] : patch::Bytes();
    };

    for (std::size_t i = 0; i < check.sites.size(); ++i) {
        Site& site = check.sites[i];
        if (site.occurrences.count == 0) continue;
        const std::size_t at = site.occurrences.offsets.front() + site.bytes.size();
        std::size_t shown = 0;
        if (view.showsOptions()) {
            shown = std::max(item(on, i).size(), item(off, i).size());
            site.option =
                (Holds(data, at, item(on, i)) ? 1 : 0) | (Holds(data, at, item(off, i)) ? 2 : 0);
        } else if (view.hasParam && view.valueKind == catalogue::ValueKind::kNumber) {
            shown = 2;
        } else if (view.hasParam && view.valueKind == catalogue::ValueKind::kText) {
            const std::size_t longest = std::max(kLongestText, view.valueText.value_or("").size());
            const std::string_view rest = at < data.size() ? data.substr(at) : std::string_view();
            site.following = rest.substr(0, std::min(longest, rest.find('\0')));
            continue;
        }
        if (shown == 0) shown = kShownWhenUnknown;
        if (at < data.size()) site.following = data.substr(at, std::min(shown, data.size() - at));
    }
}

std::vector<const Site*> FoundSites(const EntryCheck& check) {
    std::vector<const Site*> found;
    for (const Site& site : check.sites) {
        if (site.occurrences.count > 0) found.push_back(&site);
    }
    return found;
}

std::string NumberHeld(const Site& site) {
    if (site.following.size() < 2) return "";
    const auto low = static_cast<unsigned char>(site.following[0]);
    const auto high = static_cast<unsigned char>(site.following[1]);
    return std::to_string(low + 256 * high);
}

// What the target holds for the entry, in words, from the sites that were found.
struct State {
    std::string words;
    Json json;
};

State ReadState(const EntryCheck& check) {
    const catalogue::DefinitionView& view = check.view;
    const std::vector<const Site*> found = FoundSites(check);
    if (!view.hasParam) return {"unknown: the definition has no value kind", Json()};
    if (check.sites.empty()) return {"unknown: the definition names no signature", Json()};
    if (found.empty()) return {"unknown: no signature was found", Json()};

    if (view.showsOptions()) {
        int common = 3;
        for (const Site* site : found) common &= site->option;
        const auto caption = [&](int n) {
            const catalogue::YnOption& o = n == 1 ? *view.firstOption : *view.secondOption;
            return "option " + std::to_string(n) + " \"" + Printable(o.caption) + "\"";
        };
        if (common == 3) return {"both options: they write the same bytes here", {{"option", 3}}};
        if (common != 0) return {caption(common), {{"option", common}}};
        const bool some =
            std::any_of(found.begin(), found.end(), [](const Site* s) { return s->option != 0; });
        return {some ? "mixed: the sites do not hold the same option" : "neither option",
                {{"option", nullptr}}};
    }

    std::vector<std::string> values;
    for (const Site* site : found) {
        values.push_back(view.valueKind == catalogue::ValueKind::kNumber ? NumberHeld(*site)
                                                                         : site->following);
    }
    const bool same = std::all_of(values.begin(), values.end(),
                                  [&](const std::string& v) { return v == values.front(); });
    if (view.valueKind == catalogue::ValueKind::kNumber) {
        if (same && !values.front().empty()) {
            return {"holds " + values.front(), {{"number", std::stol(values.front())}}};
        }
        return {"the sites hold different numbers, or too few bytes for one",
                {{"number", nullptr}}};
    }
    if (view.valueKind == catalogue::ValueKind::kText) {
        if (same)
            return {"holds \"" + Printable(values.front()) + "\"",
                    {{"text", TextJson(values.front())}}};
        return {"the sites hold different texts", {{"text", nullptr}}};
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
    const std::size_t unlisted = occurrences.count - occurrences.offsets.size();
    if (unlisted > 0) list += " and " + std::to_string(unlisted) + " more";
    return list;
}

void PrintText(const Output& io, const std::string& target, std::size_t size,
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
        if (!check.sites.empty()) {
            out << "   mode          " << (check.orMode ? "or" : "and") << '\n';
        }
        for (std::size_t i = 0; i < check.sites.size(); ++i) {
            const Site& site = check.sites[i];
            out << "   signature " << i + 1 << "   " << Printable(site.text) << "  ";
            if (site.bytes.empty()) {
                out << style.Bad("decodes to no bytes") << '\n';
                continue;
            }
            if (site.occurrences.count == 0) {
                out << style.Bad("not found") << '\n';
                continue;
            }
            const std::size_t count = site.occurrences.count;
            out << "found at " << Offset(site.occurrences.offsets.front()) << ", " << count
                << (count == 1 ? " occurrence" : " occurrences") << ", followed by "
                << (site.following.empty() ? "nothing: it ends the file" : HexPairs(site.following))
                << '\n';
            if (count > 1) {
                out << "                 " << style.Warn("warning:") << " also at "
                    << OffsetList(site.occurrences) << "; Apply patches the first only\n";
            }
        }
        out << "   state         " << ReadState(check).words << '\n';
        if (check.rehearsal.succeeded()) {
            out << "   Apply         " << style.Good("would succeed") << " with "
                << ValueUsed(check.view) << '\n';
        } else {
            out << "   Apply         " << style.Bad("would fail") << ": " << check.rehearsal.message
                << '\n';
        }
    }
}

void PrintJson(const Output& io, const std::string& target, std::size_t size,
               const std::vector<EntryCheck>& checks) {
    Json entries = Json::array();
    for (const EntryCheck& check : checks) {
        Json sites = Json::array();
        for (const Site& site : check.sites) {
            Json offsets = Json::array();
            for (std::size_t at : site.occurrences.offsets) offsets.push_back(at);
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
        const State state = ReadState(check);
        entries.push_back(
            {{"index", check.selected.index},
             {"title", TextJson(check.selected.entry.title)},
             {"file", check.selected.entry.fileName},
             {"kind", check.view.hasParam ? TextJson(check.view.valueKindText) : Json()},
             {"problems", problems},
             {"mode", check.sites.empty() ? Json() : Json(check.orMode ? "or" : "and")},
             {"signatures", sites},
             {"state", state.json},
             {"stateText", TextJson(state.words)},
             {"applySucceeds", check.rehearsal.succeeded()},
             {"applyMessage", check.rehearsal.message}});
    }
    cli::PrintJson(io.out, {{"target", target}, {"size", size}, {"entries", entries}});
}

}  // namespace

int CheckCommand(const Context& ctx, const CheckArguments& args) {
    const std::vector<catalogue::CatalogueEntry> catalogue = LoadCatalogue(ctx);
    std::vector<EntryCheck> checks;
    if (args.entries.empty()) {
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            checks.emplace_back().selected = {i, catalogue[i]};
        }
    } else {
        for (const std::string& entry : args.entries) {
            checks.emplace_back().selected = SelectEntry(catalogue, entry);
        }
    }

    // The target is read as Apply reads it, and a target Apply could not read is reported with
    // Apply's own message.
    if (!patch::TargetExists(ctx.fs, args.target)) {
        ctx.io.err << args.target << patch::kDoesNotExistSuffix << '\n';
        return 1;
    }
    patch::vpPatch engine(ctx.fs);
    if (engine.LoadExe(args.target) == 0) {
        ctx.io.err << engine.message() << '\n';
        return 1;
    }
    const std::string_view data = engine.exeData();

    // Every distinct signature of every entry is counted in one pass over the target.
    std::map<patch::Bytes, std::size_t> needleIndex;
    std::vector<std::string_view> needles;
    for (EntryCheck& check : checks) {
        check.view = ReadEntryDefinition(ctx, check.selected.entry);
        if (!check.view.locationList) continue;
        const catalogue::Locations locations = catalogue::SplitLocations(*check.view.locationList);
        check.orMode = locations.orMode;
        for (const std::string& text : locations.signatures) {
            check.sites.push_back({text, patch::HexToBytes(text), {}, {}, 0});
        }
    }
    for (EntryCheck& check : checks) {
        for (const Site& site : check.sites) {
            if (site.bytes.empty()) continue;
            if (needleIndex.emplace(site.bytes, needles.size()).second) {
                needles.push_back(needleIndex.find(site.bytes)->first);
            }
        }
    }
    const std::vector<patch::Occurrences> occurrences =
        patch::FindEvery(data, needles, kListedOffsets);

    for (EntryCheck& check : checks) {
        for (Site& site : check.sites) {
            if (!site.bytes.empty()) site.occurrences = occurrences[needleIndex[site.bytes]];
        }
        ReadSites(check, data);
        patch::ApplyRequest request = patch::ApplyRequest::ForDefinition(check.view);
        request.targetPath = args.target;
        const auto firstOccurrence = [&](std::string_view signature) {
            const auto found = needleIndex.find(patch::Bytes(signature));
            if (found == needleIndex.end()) return patch::FindFirst(data, signature);
            const patch::Occurrences& o = occurrences[found->second];
            return o.offsets.empty() ? patch::kNotFound : o.offsets.front();
        };
        check.rehearsal = patch::RehearseApply(ctx.fs, engine, request, firstOccurrence);
    }

    if (args.json) {
        PrintJson(ctx.io, args.target, data.size(), checks);
    } else {
        PrintText(ctx.io, args.target, data.size(), checks);
    }
    const bool allSucceed = std::all_of(
        checks.begin(), checks.end(), [](const EntryCheck& c) { return c.rehearsal.succeeded(); });
    return allSucceed ? 0 : 1;
}

}  // namespace korrin::cli
