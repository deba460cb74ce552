#include "journal/journal.h"

#include <optional>

#include "journal/crc32.h"
#include "platform/data_folder.h"

namespace korrin::journal {
namespace {

constexpr std::string_view kMagic = "KRJ1";
constexpr std::size_t kHeader = 12;  // magic, length, checksum

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, std::string_view text) {
    PutNumber(out, text.size(), 4);
    out += text;
}

std::uint64_t GetNumber(std::string_view bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    }
    return value;
}

// Reads a payload front to back; any read past its end marks it broken.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    std::uint64_t Number(int bytes) {
        if (rest_.size() < static_cast<std::size_t>(bytes)) return Broken();
        const std::uint64_t value = GetNumber(rest_, bytes);
        rest_.remove_prefix(bytes);
        return value;
    }
    std::string Text() {
        const std::uint64_t size = Number(4);
        if (size > rest_.size()) return Broken(), std::string();
        std::string text(rest_.substr(0, size));
        rest_.remove_prefix(size);
        return text;
    }
    bool whole() const { return !broken_ && rest_.empty(); }
    bool broken() const { return broken_; }

  private:
    std::uint64_t Broken() {
        broken_ = true;
        rest_ = {};
        return 0;
    }
    std::string_view rest_;
    bool broken_ = false;
};

std::optional<Record> DecodePayload(std::string_view payload) {
    Reader in(payload);
    Record record;
    const std::uint64_t kind = in.Number(1);
    if (kind < 1 || kind > 3) return std::nullopt;
    record.kind = static_cast<RecordKind>(kind);
    record.stamp = in.Number(8);
    record.undoes = in.Number(8);
    record.time = static_cast<std::int64_t>(in.Number(8));
    record.targetPath = in.Text();
    record.targetSize = in.Number(8);
    record.title = in.Text();
    record.file = in.Text();
    record.value = in.Text();
    const std::uint64_t count = in.Number(4);
    for (std::uint64_t i = 0; i < count && !in.broken(); ++i) {
        patch::WrittenSpan span;
        span.offset = in.Number(8);
        span.before = in.Text();
        span.after = in.Text();
        if (span.before.size() != span.after.size()) return std::nullopt;
        record.spans.push_back(std::move(span));
    }
    if (!in.whole()) return std::nullopt;
    return record;
}

}  // namespace

std::string EncodeRecord(const Record& record) {
    std::string payload;
    PutNumber(payload, static_cast<std::uint8_t>(record.kind), 1);
    PutNumber(payload, record.stamp, 8);
    PutNumber(payload, record.undoes, 8);
    PutNumber(payload, static_cast<std::uint64_t>(record.time), 8);
    PutText(payload, record.targetPath);
    PutNumber(payload, record.targetSize, 8);
    PutText(payload, record.title);
    PutText(payload, record.file);
    PutText(payload, record.value);
    PutNumber(payload, record.spans.size(), 4);
    for (const patch::WrittenSpan& span : record.spans) {
        PutNumber(payload, span.offset, 8);
        PutText(payload, span.before);
        PutText(payload, span.after);
    }

    std::string length;
    PutNumber(length, payload.size(), 4);
    std::string framed(kMagic);
    framed += length;
    PutNumber(framed, Crc32(payload, Crc32(length)), 4);
    framed += payload;
    return framed;
}

std::vector<Record> DecodeJournal(std::string_view bytes) {
    std::vector<Record> records;
    std::size_t at = bytes.find(kMagic);
    while (at != std::string_view::npos && bytes.size() - at >= kHeader) {
        const std::string_view length = bytes.substr(at + 4, 4);
        const std::uint64_t size = GetNumber(length, 4);
        const std::uint32_t crc = static_cast<std::uint32_t>(GetNumber(bytes.substr(at + 8), 4));
        std::optional<Record> record;
        if (size <= kMaxPayload && size <= bytes.size() - at - kHeader) {
            const std::string_view payload = bytes.substr(at + kHeader, size);
            if (Crc32(payload, Crc32(length)) == crc) record = DecodePayload(payload);
        }
        if (record) {
            records.push_back(std::move(*record));
            at = bytes.find(kMagic, at + kHeader + size);
        } else {
            // Torn or damaged: the next intact record may begin anywhere after this frame's
            // start, even inside what its length claimed.
            at = bytes.find(kMagic, at + 1);
        }
    }
    return records;
}

std::string DefaultJournalPath() {
    const std::string data = platform::UserDataFolder();
    if (data.empty()) return {};
    return data + "korrin-patcher" + platform::kSeparator + "journal";
}

Status AppendRecord(platform::FileSystem& fs, const std::string& path, const Record& record) {
    const std::string framed = EncodeRecord(record);
    if (framed.size() - kHeader > kMaxPayload) {
        return Status::Failed("the record of this Apply is too large for the journal");
    }
    const std::size_t slash = platform::LastSeparator(path);
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!folder.empty()) {
        Status made = fs.CreateFolders(folder);
        if (!made.ok()) return made;
    }
    std::unique_ptr<platform::WritableFile> file;
    Status status = fs.OpenForAppend(path, &file);
    if (!status.ok()) return status;
    // One write, so that a record appended by another process at the same time lands before
    // or after it, never inside it.
    status = file->Append(framed);
    if (status.ok()) status = file->Sync();
    const Status closed = file->Close();
    if (status.ok()) status = closed;
    // A journal that was just created is no use if its name is lost in a crash.
    if (status.ok() && !folder.empty()) status = fs.SyncFolder(folder);
    return status;
}

Status ReadJournal(platform::FileSystem& fs, const std::string& path,
                   std::vector<Record>* records) {
    records->clear();
    std::string bytes;
    const Status status = fs.ReadFile(path, &bytes);
    if (status.error == ErrorCode::kPathNotFound) return Status::Ok();
    if (!status.ok()) return status;
    *records = DecodeJournal(bytes);
    return Status::Ok();
}

}  // namespace korrin::journal
