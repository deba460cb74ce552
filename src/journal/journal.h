#pragma once

// The journal of Applies: for each Apply that changed a file, which file, what was applied and
// every span it changed, so that it can be taken back. One file per user, appended to by every
// process of the tool, never rewritten.
//
// Each record is framed on its own: "KRJ1", the payload's length (4 bytes), a CRC-32 of the
// length and the payload (4 bytes), the payload; numbers little-endian. A record torn by a crash
// or damaged later fails its check and is passed over; the reader then looks for the next
// frame, so that what others appended after it still counts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"
#include "patch/written_span.h"
#include "platform/file_system.h"

namespace korrin::journal {

enum class RecordKind : std::uint8_t {
    kApply = 1,
    kUndo = 2,  // writes back what the record it takes back found
    // The record named by undoes never took effect: its save failed and left the target as it
    // was. It carries nothing else.
    kVoid = 3,
};

struct Record {
    RecordKind kind = RecordKind::kApply;
    std::uint64_t stamp = 0;   // unique to the record: how an undo names what it takes back
    std::uint64_t undoes = 0;  // the stamp of the record an undo or a void names; else 0
    std::int64_t time = 0;     // seconds since 1970-01-01 UTC
    std::string targetPath;    // absolute, every link followed
    std::uint64_t targetSize = 0;
    std::string title;  // the catalogue entry (one byte per character)
    std::string file;   // its definition file, without folder
    std::string value;  // the option's caption, the number or the text
    std::vector<patch::WrittenSpan> spans;

    bool operator==(const Record&) const = default;
};

// Records longer than this are refused on both sides: no Apply writes so much, and a damaged
// length must not make the reader reserve gigabytes.
inline constexpr std::uint32_t kMaxPayload = 64u << 20;

// The record framed as it is appended.
std::string EncodeRecord(const Record& record);

// Every intact record in bytes, in the order they were appended; damaged and torn bytes are
// passed over.
std::vector<Record> DecodeJournal(std::string_view bytes);

// Where this user's journal lives: korrin-patcher/journal in the user's data folder. Empty when
// the system names no such folder.
std::string DefaultJournalPath();

// Appends record to the journal at path (its folders made where missing) with one write, and
// returns once it has reached the disk.
Status AppendRecord(platform::FileSystem& fs, const std::string& path, const Record& record);

// Every intact record of the journal at path; none, and ok, when there is no journal yet.
Status ReadJournal(platform::FileSystem& fs, const std::string& path, std::vector<Record>* records);

}  // namespace korrin::journal
