#include "patch/inspect.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "common/text.h"
#include "patch/hex.h"

namespace korrin::patch {
namespace {

// Bytes shown after a site when the definition does not tell how many Apply would write.
constexpr std::size_t kShownWhenUnknown = 8;
// The longest text read after a "text" site, unless the default value is longer: texts in an
// executable end at a zero byte, which a patch may not have written but the file still has.
constexpr std::size_t kLongestText = 64;

std::vector<Bytes> OptionItems(const std::string& list) {
    std::vector<Bytes> items;
    for (const std::string& item : SplitList(list, ',')) items.push_back(HexToBytes(item));
    return items;
}

// Whether after (the bytes after a site, cut at the end of the file) holds what writing bytes
// there would leave, cut as a write is.
bool Holds(std::string_view after, std::string_view bytes) {
    if (bytes.empty() || after.empty()) return false;
    const std::size_t count = std::min(bytes.size(), after.size());
    return after.substr(0, count) == bytes.substr(0, count);
}

// The bytes after each site's first occurrence, and the option they make.
Status ReadSites(platform::ReadableFile& file, std::uint64_t size,
                 const catalogue::DefinitionView& view, std::vector<SiteReading>& sites) {
    const std::vector<Bytes> on = OptionItems(view.onBytes());
    const std::vector<Bytes> off = OptionItems(view.offBytes());
    const auto item = [](const std::vector<Bytes>& items, std::size_t i) {
        return i < items.size() ? items[i] : Bytes();
    };
    for (std::size_t i = 0; i < sites.size(); ++i) {
        SiteReading& site = sites[i];
        if (site.occurrences.count == 0) continue;
        const std::uint64_t at = site.occurrences.offsets.front() + site.bytes.size();
        std::size_t shown = kShownWhenUnknown;
        const bool text = view.hasParam && view.valueKind == catalogue::ValueKind::kText;
        if (view.showsOptions()) {
            shown = std::max(item(on, i).size(), item(off, i).size());
            if (shown == 0) shown = kShownWhenUnknown;
        } else if (view.hasParam && view.valueKind == catalogue::ValueKind::kNumber) {
            shown = 2;
        } else if (text) {
            shown = std::max(kLongestText, view.valueText.value_or("").size());
        }
        Bytes after(static_cast<std::size_t>(std::min<std::uint64_t>(shown, size - at)), '\0');
        std::size_t got = 0;
        const Status status = file.ReadAt(at, after.data(), after.size(), &got);
        if (!status.ok()) return status;
        after.resize(got);
        if (view.showsOptions()) {
            site.option =
                (Holds(after, item(on, i)) ? 1 : 0) | (Holds(after, item(off, i)) ? 2 : 0);
        }
        site.following = text ? after.substr(0, after.find('\0')) : after;
    }
    return Status::Ok();
}

std::optional<long> NumberHeld(const SiteReading& site) {
    if (site.following.size() < 2) return std::nullopt;
    const auto low = static_cast<unsigned char>(site.following[0]);
    const auto high = static_cast<unsigned char>(site.following[1]);
    return low + 256L * high;
}

HeldValue Value(Held held, int option = 0, long number = 0, Bytes text = {}) {
    return {held, option, number, std::move(text)};
}

HeldValue ReadValue(const catalogue::DefinitionView& view, const std::vector<SiteReading>& sites) {
    std::vector<const SiteReading*> found;
    for (const SiteReading& site : sites) {
        if (site.occurrences.count > 0) found.push_back(&site);
    }
    if (!view.hasParam) return Value(Held::kNoKind);
    if (sites.empty()) return Value(Held::kNoSignature);
    if (found.empty()) return Value(Held::kNotFound);

    if (view.showsOptions()) {
        int common = 3;
        for (const SiteReading* site : found) common &= site->option;
        if (common == 3) return Value(Held::kBothOptions, 3);
        if (common != 0) return Value(Held::kOption, common);
        const bool some = std::any_of(found.begin(), found.end(),
                                      [](const SiteReading* s) { return s->option != 0; });
        return Value(some ? Held::kMixedOptions : Held::kNeitherOption);
    }
    if (view.valueKind == catalogue::ValueKind::kNumber) {
        const std::optional<long> first = NumberHeld(*found.front());
        const bool same = std::all_of(found.begin(), found.end(), [&](const SiteReading* s) {
            return NumberHeld(*s) == first;
        });
        if (same && first) return Value(Held::kNumber, 0, *first);
        return Value(Held::kDifferentNumbers);
    }
    if (view.valueKind == catalogue::ValueKind::kText) {
        const Bytes& first = found.front()->following;
        const bool same = std::all_of(found.begin(), found.end(),
                                      [&](const SiteReading* s) { return s->following == first; });
        if (same) return Value(Held::kText, 0, 0, first);
        return Value(Held::kDifferentTexts);
    }
    return Value(Held::kUnknownKind);
}

}  // namespace

Inspection Inspect(platform::FileSystem& fs, const std::string& path,
                   std::span<const catalogue::DefinitionView> definitions,
                   std::size_t offsetLimit) {
    Inspection inspection;
    // The target is read as Apply reads it, and one Apply could not read is reported with
    // Apply's own message.
    if (!TargetExists(fs, path)) {
        inspection.message = path + std::string(kDoesNotExistSuffix);
        return inspection;
    }
    std::unique_ptr<platform::ReadableFile> file;
    platform::FileInfo info;
    Status status = fs.OpenForReading(path, &file, &info);
    if (!status.ok()) {
        inspection.message = LoadFailedMessage(status);
        return inspection;
    }

    TargetPass pass(*file, info.size);
    struct Pending {
        std::vector<std::size_t> counts;  // per site
        std::optional<Plan> plan;
        std::size_t edits = 0;
        ApplyRequest request;
    };
    std::vector<Pending> pending(definitions.size());
    inspection.entries.resize(definitions.size());
    for (std::size_t e = 0; e < definitions.size(); ++e) {
        const catalogue::DefinitionView& view = definitions[e];
        EntryReading& entry = inspection.entries[e];
        Pending& p = pending[e];
        if (view.locationList) {
            const catalogue::Locations locations = catalogue::SplitLocations(*view.locationList);
            entry.orMode = locations.orMode;
            for (const std::string& text : locations.signatures) {
                entry.sites.push_back({text, HexToBytes(text), {}, {}, 0});
                const Bytes& bytes = entry.sites.back().bytes;
                p.counts.push_back(bytes.empty() ? 0 : pass.AddCount(bytes, offsetLimit));
            }
        }
        p.request = ApplyRequest::ForDefinition(view);
        p.request.targetPath = path;
        if (p.request.definitionProblems.empty()) p.plan = MakePlan(p.request);
        if (p.plan) p.edits = pass.AddEdits(p.plan->edits, !p.plan->orMode);
    }
    status = pass.Run();
    if (!status.ok()) {
        inspection.message = LoadFailedMessage(status);
        return inspection;
    }

    for (std::size_t e = 0; e < definitions.size(); ++e) {
        EntryReading& entry = inspection.entries[e];
        const Pending& p = pending[e];
        for (std::size_t s = 0; s < entry.sites.size(); ++s) {
            if (!entry.sites[s].bytes.empty()) {
                entry.sites[s].occurrences = pass.occurrences(p.counts[s]);
            }
        }
        status = ReadSites(*file, info.size, definitions[e], entry.sites);
        if (!status.ok()) {
            inspection.message = LoadFailedMessage(status);
            return inspection;
        }
        entry.value = ReadValue(definitions[e], entry.sites);

        if (!p.request.definitionProblems.empty()) {
            entry.rehearsal = {ApplyOutcome::kDefinitionIncomplete,
                               IncompleteMessage(p.request.definitionProblems)};
        } else if (!p.plan || !Patched(*p.plan, pass.edits(p.edits).statuses)) {
            entry.rehearsal = {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};
        } else if (fs.ProbeWritable(path).error == ErrorCode::kAccessDenied) {
            // The save's own first question; what it is told no is the one message it has.
            entry.rehearsal = {ApplyOutcome::kSaveFailed, std::string(kTargetOpenMessage)};
        } else {
            entry.rehearsal = {ApplyOutcome::kApplied, std::string(kPatchCompletedMessage)};
        }
    }
    inspection.read = true;
    inspection.size = info.size;
    return inspection;
}

}  // namespace korrin::patch
