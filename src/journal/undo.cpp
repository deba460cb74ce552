#include "journal/undo.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <set>

#include "common/latin1.h"
#include "patch/safe_save.h"

namespace korrin::journal {
namespace {

// Differing offsets named in a refusal; the rest are counted.
constexpr std::size_t kOffsetsNamed = 8;

std::string Hex(std::uint64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(offset));
    return text;
}

std::string Number(std::size_t id) {
    // Appended rather than "#" + to_string(id), which GCC 12 at -O3 warns of falsely.
    return std::string("#").append(std::to_string(id));
}

std::uint64_t NewStamp() {
    std::random_device random;
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const std::uint64_t stamp =
        (std::uint64_t{random()} << 32 ^ random()) ^ static_cast<std::uint64_t>(now);
    return stamp == 0 ? 1 : stamp;
}

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string FullPath(platform::FileSystem& fs, const std::string& path) {
    std::string resolved;
    return fs.ResolveLinks(path, &resolved).ok() ? resolved : path;
}

// Whether two records wrote any byte in common.
bool Overlap(const Record& a, const Record& b) {
    for (const patch::WrittenSpan& x : a.spans) {
        for (const patch::WrittenSpan& y : b.spans) {
            if (x.offset < y.offset + y.after.size() && y.offset < x.offset + x.after.size()) {
                return true;
            }
        }
    }
    return false;
}

// The offsets at which the file at path does not hold what record wrote. Reads only those bytes.
Status Differing(platform::FileSystem& fs, const std::string& path, const Record& record,
                 std::vector<std::uint64_t>* offsets) {
    for (const patch::WrittenSpan& span : record.spans) {
        std::string now;
        const Status status = fs.ReadAt(path, span.offset, span.after.size(), &now);
        if (!status.ok()) return status;
        for (std::size_t i = 0; i < span.after.size(); ++i) {
            if (i >= now.size() || now[i] != span.after[i]) offsets->push_back(span.offset + i);
        }
    }
    return Status::Ok();
}

Placement Judge(std::size_t spansHeld, std::size_t spans) {
    if (spansHeld == spans) return Placement::kInPlace;
    return spansHeld == 0 ? Placement::kOverwritten : Placement::kPartly;
}

std::string Describe(const HistoryEntry& entry) {
    return Number(entry.id) + " (" + Latin1ToUtf8(entry.record.title) + ")";
}

const HistoryEntry* Find(const History& history, std::size_t id) {
    for (const HistoryEntry& entry : history.entries) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

// Whether the target holds, at every span of record, what the record found there.
bool StillAsFound(platform::FileSystem& fs, const Record& record) {
    for (const patch::WrittenSpan& span : record.spans) {
        std::string now;
        if (!fs.ReadAt(record.targetPath, span.offset, span.after.size(), &now).ok() ||
            now != span.before) {
            return false;
        }
    }
    return true;
}

// Marks the record with stamp as never having taken effect, after a save that left the target
// as it was. Should this fail too, the record stays: an Apply then reads as overwritten, and an
// undo as standing, which keeps its record from being undone until the undo is.
void Void(platform::FileSystem& fs, const std::string& journalPath, std::uint64_t stamp) {
    Record mark;
    mark.kind = RecordKind::kVoid;
    mark.stamp = NewStamp();
    mark.undoes = stamp;
    mark.time = Now();
    IgnoreStatus(AppendRecord(fs, journalPath, mark), "an unmarked record reads as overwritten");
}

std::string SaveMessage(const patch::SaveOutcome& outcome) {
    if (outcome.changedMeanwhile) {
        return "The target was changed by another program while it was being undone, and was "
               "left as that program left it. Nothing was undone.";
    }
    if (outcome.status.error == ErrorCode::kAccessDenied &&
        outcome.target == patch::TargetState::kUnchanged) {
        return std::string(patch::kTargetOpenMessage);
    }
    switch (outcome.target) {
        case patch::TargetState::kUnchanged:
            return "The undo could not be saved: " + outcome.status.reason +
                   ". The file was left as it was.";
        case patch::TargetState::kReplaced:
            return "The undo was written, but the system could not confirm that it reached the "
                   "disk: " +
                   outcome.status.reason;
        case patch::TargetState::kMaybeDamaged:
            break;
    }
    return "The undo could not be saved and the file may be damaged: " + outcome.status.reason +
           ". Restore it from a copy.";
}

}  // namespace

Status ReadHistory(platform::FileSystem& fs, const std::string& journalPath,
                   const std::string& targetPath, History* history) {
    history->target = FullPath(fs, targetPath);
    history->entries.clear();
    platform::FileInfo info;
    Status status = fs.Stat(history->target, &info);
    if (!status.ok()) return status;
    std::vector<Record> records;
    status = ReadJournal(fs, journalPath, &records);
    if (!status.ok()) return status;

    std::set<std::uint64_t> voided;
    for (const Record& record : records) {
        if (record.kind == RecordKind::kVoid) voided.insert(record.undoes);
    }
    // A record of another path counts when a file of the target's size stood there and is gone.
    std::map<std::string, bool> moved;
    std::vector<HistoryEntry> entries;  // oldest first
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        if (record.kind == RecordKind::kVoid || voided.contains(record.stamp)) continue;
        if (record.targetPath != history->target) {
            if (record.targetSize != info.size) continue;
            const auto [it, fresh] = moved.try_emplace(record.targetPath, false);
            if (fresh) it->second = !fs.IsRegularFile(record.targetPath);
            if (!it->second) continue;
        }
        HistoryEntry entry{i + 1, record};
        std::size_t held = 0;
        for (const patch::WrittenSpan& span : record.spans) {
            std::string now;
            status = fs.ReadAt(history->target, span.offset, span.after.size(), &now);
            if (!status.ok()) return status;
            if (now == span.after) ++held;
        }
        entry.placement = Judge(held, record.spans.size());
        entries.push_back(std::move(entry));
    }

    // A record stays taken back while its undo is not undone in turn (an undo whose save
    // failed is void, above). Later records decide about earlier ones, so newest first.
    for (std::size_t i = entries.size(); i-- > 0;) {
        for (std::size_t j = entries.size(); j-- > i + 1;) {
            const HistoryEntry& later = entries[j];
            if (later.record.kind != RecordKind::kUndo ||
                later.record.undoes != entries[i].record.stamp) {
                continue;
            }
            if (entries[j].undoOf == 0) entries[j].undoOf = entries[i].id;
            if (later.undoneBy == 0 && entries[i].undoneBy == 0) {
                entries[i].undoneBy = later.id;
            }
        }
    }
    history->entries.assign(entries.rbegin(), entries.rend());
    return Status::Ok();
}

std::size_t LastApply(const History& history, const std::string* title, const std::string* file) {
    for (const HistoryEntry& entry : history.entries) {
        if (entry.record.kind != RecordKind::kApply || entry.undoneBy != 0) continue;
        if (title != nullptr && entry.record.title != *title) continue;
        if (file != nullptr && entry.record.file != *file) continue;
        return entry.id;
    }
    return 0;
}

std::string UndoBlocker(const History& history, std::size_t id) {
    const HistoryEntry* entry = Find(history, id);
    if (entry == nullptr) {
        return "The journal holds no record " + Number(id) + " for " + history.target + ".";
    }
    if (entry->undoneBy != 0) {
        return Describe(*entry) + " was taken back already, by " + Number(entry->undoneBy) + ".";
    }
    for (const HistoryEntry& later : history.entries) {
        if (later.id <= id) break;
        if (later.record.kind == RecordKind::kApply && later.undoneBy == 0 &&
            later.placement != Placement::kOverwritten && Overlap(later.record, entry->record)) {
            return Describe(*entry) + " cannot be undone before " + Describe(later) +
                   ", which changed some of the same bytes after it. Undo " + Number(later.id) +
                   " first. Nothing was changed.";
        }
    }
    return {};
}

UndoResult Undo(platform::FileSystem& fs, const std::string& journalPath,
                const std::string& targetPath, std::size_t id) {
    UndoResult result;
    History history;
    Status status = ReadHistory(fs, journalPath, targetPath, &history);
    if (!status.ok()) {
        result.message = "The history of the target could not be read: " + status.reason;
        return result;
    }
    result.message = UndoBlocker(history, id);
    if (!result.message.empty()) return result;
    const HistoryEntry& entry = *Find(history, id);

    // The file's version before its bytes are compared: the replacement goes ahead only while
    // the file is still that version, so nothing written after the comparison is lost.
    platform::FileInfo read;
    std::vector<std::uint64_t> differing;
    status = fs.Stat(history.target, &read);
    if (status.ok()) status = Differing(fs, history.target, entry.record, &differing);
    if (!status.ok()) {
        result.message = "The target could not be read: " + status.reason;
        return result;
    }
    if (!differing.empty()) {
        std::string list;
        for (std::size_t i = 0; i < differing.size() && i < kOffsetsNamed; ++i) {
            list += (i == 0 ? "" : ", ") + Hex(differing[i]);
        }
        if (differing.size() > kOffsetsNamed) {
            list += " and " + std::to_string(differing.size() - kOffsetsNamed) + " more";
        }
        result.message = Describe(entry) +
                         " cannot be undone: the target no longer holds what it wrote at " + list +
                         ". Nothing was changed.";
        return result;
    }

    Record undo;
    undo.kind = RecordKind::kUndo;
    undo.stamp = NewStamp();
    undo.undoes = entry.record.stamp;
    undo.time = Now();
    undo.targetPath = history.target;
    undo.targetSize = read.size;
    undo.title = entry.record.title;
    undo.file = entry.record.file;
    undo.value = entry.record.value;
    std::vector<patch::Change> changes;
    std::size_t bytes = 0;
    for (const patch::WrittenSpan& span : entry.record.spans) {
        undo.spans.push_back({span.offset, span.after, span.before});
        changes.push_back({span.offset, span.after, span.before});
        bytes += span.before.size();
    }
    result.journal = journalPath.empty() ? Status::Failed("the system names no data folder")
                                         : AppendRecord(fs, journalPath, undo);

    patch::Replacement replacement(fs, history.target, read);
    replacement.Begin();
    const patch::SaveOutcome saved = replacement.Commit(changes);
    if (!saved.ok()) {
        // Even an append that failed may have left the record behind, after its write.
        if (!journalPath.empty() && saved.target == patch::TargetState::kUnchanged) {
            Void(fs, journalPath, undo.stamp);
        }
        result.message = SaveMessage(saved);
        return result;
    }
    result.undone = true;
    result.message = "Undid " + Describe(entry) + ": " + std::to_string(bytes) +
                     (bytes == 1 ? " byte" : " bytes") + " put back.";
    return result;
}

std::optional<UndoOffer> OfferUndo(platform::FileSystem& fs, const std::string& journalPath,
                                   const std::string& targetPath, const std::string& title,
                                   const std::string& file) {
    History history;
    if (!ReadHistory(fs, journalPath, targetPath, &history).ok()) return std::nullopt;
    const std::size_t id = LastApply(history, &title, &file);
    if (id == 0 || !UndoBlocker(history, id).empty()) return std::nullopt;
    const HistoryEntry& entry = *Find(history, id);
    if (entry.placement != Placement::kInPlace) return std::nullopt;
    std::size_t bytes = 0;
    for (const patch::WrittenSpan& span : entry.record.spans) bytes += span.before.size();
    return UndoOffer{id, "Undo the last Apply of \"" + Latin1ToUtf8(title) + "\" (value \"" +
                             Latin1ToUtf8(entry.record.value) + "\", " +
                             FormatTime(entry.record.time) + ")?\n\n" + std::to_string(bytes) +
                             (bytes == 1 ? " byte" : " bytes") + " of " + history.target +
                             " are put back as they were before it."};
}

std::string FormatTime(std::int64_t seconds, const char* format) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &time);  // the same, with its arguments the other way round
#else
    gmtime_r(&time, &utc);
#endif
    char text[64];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

std::string ValueLabel(const catalogue::DefinitionView& view, const patch::ApplyRequest& request) {
    if (!view.showsOptions()) return request.value;
    const std::optional<catalogue::YnOption>& option =
        request.secondOption ? view.secondOption : view.firstOption;
    return option ? option->caption : std::string();
}

RecordedApply ApplyAndRecord(platform::FileSystem& fs, const std::string& journalPath,
                             const patch::ApplyRequest& request, const std::string& title,
                             const std::string& file, const std::string& value,
                             const std::function<void()>& whileWaiting) {
    RecordedApply result;
    Record written;
    const auto record = [&](std::span<const patch::WrittenSpan> spans) {
        if (journalPath.empty()) {
            result.journal = Status::Failed("the system names no data folder");
            return;
        }
        Record entry;
        entry.stamp = NewStamp();
        entry.time = Now();
        entry.targetPath = FullPath(fs, request.targetPath);
        platform::FileInfo info;
        result.journal = fs.Stat(entry.targetPath, &info);
        if (!result.journal.ok()) return;
        entry.targetSize = info.size;
        entry.title = title;
        entry.file = file;
        entry.value = value;
        entry.spans.assign(spans.begin(), spans.end());
        result.journal = AppendRecord(fs, journalPath, entry);
        result.recorded = result.journal.ok();
        written = std::move(entry);
    };
    result.apply = patch::ApplyPatch(fs, request, whileWaiting, record);
    // Only the save comes after the record: one that left the target as it was made it void.
    if (written.stamp != 0 && result.apply.outcome == patch::ApplyOutcome::kSaveFailed &&
        StillAsFound(fs, written)) {
        Void(fs, journalPath, written.stamp);
    }
    return result;
}

}  // namespace korrin::journal
