// The fast searches and the engine built on them, against a plain search: any data, any needles,
// any range, every occurrence, and edits whose later signatures may be written by earlier ones.
//
// Input: a flags byte, then up to eight needles, each a length byte (0 to 15) and its bytes, then
// the data. Flag 1 pads the data at its front so that the needles fall across the border of the
// blocks in which the search reads; flag 2 stops the edits at the first miss.

#include <string.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "patch/occurrences.h"
#include "patch/search.h"
#include "patch/vp_patch.h"

using namespace korrin;

namespace {

// The size of the blocks in which FindFirstEach reads the data.
constexpr std::size_t kBlock = 256 * 1024;

// The standard library's own search, which shares nothing with the code under test (and, unlike
// memmem, is there on every system).
std::size_t PlainFind(std::string_view data, std::string_view needle, std::size_t from = 0,
                      std::size_t to = patch::kNotFound) {
    if (needle.empty() || from >= data.size()) return patch::kNotFound;
    const std::size_t at = data.find(needle, from);
    if (at == std::string_view::npos) return patch::kNotFound;
    return at < to ? at : patch::kNotFound;
}

// A file system that holds one file, in memory: all the engine needs to load it.
class OneFile final : public platform::FileSystem {
  public:
    explicit OneFile(std::string_view bytes) : bytes_(bytes) {}
    Status ReadWholeFile(const std::string&, platform::PageBuffer* out,
                         platform::FileInfo* info) override {
        if (!out->Allocate(bytes_.size())) return {ErrorCode::kOther, "no memory"};
        std::copy(bytes_.begin(), bytes_.end(), out->data());
        if (info != nullptr) *info = platform::FileInfo{};
        return Status::Ok();
    }
    std::vector<std::string> ListFiles(const std::string&, Status* s) override {
        *s = Status::Unsupported("ListFiles");
        return {};
    }
    Status ReadFile(const std::string&, std::string*) override {
        return Status::Unsupported("ReadFile");
    }
    Status NewWritableFile(const std::string&, std::unique_ptr<platform::WritableFile>*) override {
        return Status::Unsupported("NewWritableFile");
    }
    Status RemoveFile(const std::string&) override { return Status::Unsupported("RemoveFile"); }
    Status RenameFile(const std::string&, const std::string&) override {
        return Status::Unsupported("RenameFile");
    }
    bool IsRegularFile(const std::string&) override { return true; }

  private:
    std::string_view bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    if (input.empty()) return 0;
    const unsigned flags = static_cast<unsigned char>(input[0]);
    std::string_view rest = input.substr(1);
    std::vector<std::string> needles;
    while (needles.size() < 8 && !rest.empty()) {
        const std::size_t length = static_cast<unsigned char>(rest[0]) % 16;
        needles.emplace_back(rest.substr(1, length));
        rest.remove_prefix(std::min(rest.size(), 1 + length));
    }
    std::string data(rest);
    if (flags & 1) {
        // Filler of the bytes machine code is fullest of, as a real target's would be: the search
        // skips them, so that the run's time goes to the border rather than to the filler.
        static const std::string filler = [] {
            constexpr unsigned char kCommon[] = {0x00, 0xFF, 0x8B, 0x89, 0x48, 0xE8, 0x0F};
            std::string bytes(kBlock, '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                bytes[i] = static_cast<char>(kCommon[i % std::size(kCommon)]);
            }
            return bytes;
        }();
        data.insert(0, filler, 0, kBlock - std::min<std::size_t>(data.size() / 2, 8));
    }

    for (std::size_t i = 0; i < needles.size(); ++i) {
        const std::string& needle = needles[i];
        KORRIN_FUZZ_CHECK(patch::FindFirst(data, needle) == PlainFind(data, needle), input);
        // A range from the other needles' lengths: empty, inverted and past the end ones too.
        const std::size_t from = needles[(i + 1) % needles.size()].size() * 3;
        const std::size_t to = from + needles[(i + 2) % needles.size()].size() * 5;
        KORRIN_FUZZ_CHECK(
            patch::FindFirst(data, needle, from, to) == PlainFind(data, needle, from, to), input);
    }
    const std::vector<std::string_view> views(needles.begin(), needles.end());
    const std::vector<std::size_t> each = patch::FindFirstEach(data, views);
    for (std::size_t i = 0; i < needles.size(); ++i) {
        KORRIN_FUZZ_CHECK(each[i] == PlainFind(data, needles[i]), input);
    }

    // Every occurrence, overlapping ones included, and the first few of them in order. It reads
    // the data in no blocks, so the padding would only cost time.
    constexpr std::size_t kOffsetLimit = 4;
    const std::vector<patch::Occurrences> every = patch::FindEvery(rest, views, kOffsetLimit);
    KORRIN_FUZZ_CHECK(every.size() == needles.size(), input);
    for (std::size_t i = 0; i < needles.size(); ++i) {
        std::vector<std::size_t> offsets;
        std::size_t count = 0;
        for (std::size_t at = PlainFind(rest, needles[i]); at != patch::kNotFound;
             at = PlainFind(rest, needles[i], at + 1)) {
            if (offsets.size() < kOffsetLimit) offsets.push_back(at);
            ++count;
        }
        KORRIN_FUZZ_CHECK(every[i].count == count, input);
        KORRIN_FUZZ_CHECK(every[i].offsets == offsets, input);
    }

    // The edits in turn: needle i is the signature and needle i + 1 the bytes written after it,
    // so that a later signature may be what an earlier edit wrote.
    std::vector<patch::Edit> edits;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        edits.push_back({needles[i], needles[(i + 1) % needles.size()]});
    }
    const bool stopAtMiss = (flags & 2) != 0;
    std::string model = data;
    OneFile file(data);
    patch::vpPatch engine(file);
    KORRIN_FUZZ_CHECK(engine.LoadExe("vplaces.exe") == 1, input);
    // Twice, the second time backwards, so that the second round starts from changed data.
    for (int round = 0; round < 2; ++round) {
        std::vector<int> expected;
        for (const patch::Edit& edit : edits) {
            const std::size_t found = PlainFind(model, edit.signature);
            const std::size_t at = found + edit.signature.size();
            int status = 0;
            if (found != patch::kNotFound && (edit.newBytes.empty() || at < model.size())) {
                status = 1;
                for (std::size_t k = 0; k < edit.newBytes.size() && at + k < model.size(); ++k) {
                    model[at + k] = edit.newBytes[k];
                }
            }
            expected.push_back(status);
            if (stopAtMiss && status == 0) break;
        }
        KORRIN_FUZZ_CHECK(engine.PatchBytesInTurn(edits, stopAtMiss) == expected, input);
        KORRIN_FUZZ_CHECK(engine.exeData() == model, input);
        std::reverse(edits.begin(), edits.end());
    }
    return 0;
}
