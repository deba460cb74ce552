// The one-pass search against a plain model of its meaning: each signature searched from the
// start of the bytes the earlier edits left, one edit after another, in memory. Real files,
// chunks of a few bytes so that every border is crossed, and both block comparisons in turn.

#include "patch/target_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "patch/search.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using korrin::testing::TempFolder;

struct Model {
    std::vector<int> statuses;
    std::string data;
};

Model Sequential(std::string data, const std::vector<Edit>& edits, bool stopAtMiss) {
    Model m;
    for (const Edit& e : edits) {
        const auto found =
            e.signature.empty()
                ? data.end()
                : std::search(data.begin(), data.end(), e.signature.begin(), e.signature.end());
        const auto at = static_cast<std::size_t>(found - data.begin()) + e.signature.size();
        const bool hit = found != data.end() && (e.newBytes.empty() || at < data.size());
        for (std::size_t k = 0; hit && k < e.newBytes.size() && at + k < data.size(); ++k) {
            data[at + k] = e.newBytes[k];
        }
        m.statuses.push_back(hit ? 1 : 0);
        if (stopAtMiss && !hit) break;
    }
    m.data = std::move(data);
    return m;
}

class PassTest : public ::testing::TestWithParam<SearchPath> {
  protected:
    void SetUp() override { ForceSearchPath(GetParam()); }
    void TearDown() override {
        ForceSearchPath(SearchPath::kAuto);
        TargetPass::SetChunkSizeForTests(std::size_t{4} << 20);
    }

    // Runs the pass over data in a real file, chunk bytes at a time, and checks it against the
    // model: the statuses, the bytes its changes leave, the bytes they put back, and every
    // occurrence of each signature.
    void Check(const std::string& data, const std::vector<Edit>& edits, std::size_t chunk,
               const std::string& trial) {
        TargetPass::SetChunkSizeForTests(chunk);
        const std::string path = dir_.Write("vplaces.exe", data);
        std::unique_ptr<platform::ReadableFile> file;
        platform::FileInfo info;
        ASSERT_TRUE(platform::FileSystem::Default().OpenForReading(path, &file, &info).ok());
        for (const bool stopAtMiss : {false, true}) {
            TargetPass pass(*file, info.size);
            const std::size_t list = pass.AddEdits(edits, stopAtMiss);
            std::vector<std::size_t> counts;
            for (const Edit& e : edits) counts.push_back(pass.AddCount(e.signature, 3));
            ASSERT_TRUE(pass.Run().ok()) << trial;

            const Model model = Sequential(data, edits, stopAtMiss);
            const EditOutcome& out = pass.edits(list);
            ASSERT_EQ(out.statuses, model.statuses) << trial;
            std::string after = data;
            for (const Change& c : out.changes) after.replace(c.at, c.after.size(), c.after);
            ASSERT_EQ(after, model.data) << trial;
            for (auto c = out.changes.rbegin(); c != out.changes.rend(); ++c) {
                after.replace(c->at, c->before.size(), c->before);
            }
            ASSERT_EQ(after, data) << trial;

            for (std::size_t i = 0; i < edits.size(); ++i) {
                Occurrences expected;
                const std::string& s = edits[i].signature;
                for (std::size_t at = 0; !s.empty() && at + s.size() <= data.size(); ++at) {
                    if (data.compare(at, s.size(), s) != 0) continue;
                    if (expected.offsets.size() < 3) expected.offsets.push_back(at);
                    ++expected.count;
                }
                ASSERT_EQ(pass.occurrences(counts[i]).count, expected.count) << trial;
                ASSERT_EQ(pass.occurrences(counts[i]).offsets, expected.offsets) << trial;
            }
        }
    }

    TempFolder dir_;
};

// Few byte values, so that nearly every position is a candidate that only a full comparison
// can turn down, and signatures cut from the data or from what earlier edits wrote: chains in
// which a later signature matches in or across an earlier write, first matches an earlier
// write spoils, writes cut at the end of the file, signatures that occur nowhere.
TEST_P(PassTest, SameAsEditsOneAfterAnotherInMemory) {
    std::mt19937 random(3);
    const char alphabet[] = {'\x00', '\x8B', '\x45', '\x4D'};
    const auto text = [&](std::size_t size) {
        std::string s(size, '\0');
        for (char& c : s) c = alphabet[random() % 4];
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        const std::string data = text(random() % 600);
        std::vector<Edit> edits;
        for (std::size_t k = 0, n = 1 + random() % 12; k < n; ++k) {
            Edit e{data.empty() ? text(2) : data.substr(random() % data.size(), 1 + random() % 6),
                   text(random() % 7)};
            if (k > 0 && random() % 3 == 0) e.signature = edits[k - 1].newBytes + text(1);
            if (k > 0 && random() % 4 == 0) e.signature = text(1) + edits[k - 1].newBytes;
            if (random() % 6 == 0) e.signature.back() = '\x01';
            if (random() % 20 == 0) e.signature.clear();
            edits.push_back(e);
        }
        const std::size_t chunk = 1 + random() % (round % 2 == 0 ? 40 : 400);
        Check(data, edits, chunk, "round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

// A signature that occurs once, across each border of the chunks in turn, at every split, with
// a chain after it that only matches in what it wrote, on data of one byte value.
TEST_P(PassTest, SignaturesAcrossEveryChunkBorder) {
    constexpr std::size_t kChunk = 64;
    const std::string signature = "\x11\x22\x33\x44\x55";
    for (std::size_t border = kChunk; border < 4 * kChunk; border += kChunk) {
        for (std::size_t split = 1; split < signature.size(); ++split) {
            std::string data(4 * kChunk + 9, '\x90');
            data.replace(border - split, signature.size(), signature);
            const std::vector<Edit> edits = {
                {signature, "\xAB\xCD\xEF"},
                {"\x55\xAB\xCD", "\x01\x02"},  // across the end of the first and its write
                {"\x90\x90", "\x77"},          // the start of the file
                {"\x90\x90\x90", "\x66"},      // spoilt by the write before it
                {std::string(1, '\x90'), std::string(50, '\x99')},  // cut at nothing
            };
            Check(data, edits, kChunk,
                  "border " + std::to_string(border) + ", split " + std::to_string(split));
            if (HasFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothBlockComparisons, PassTest,
                         ::testing::Values(SearchPath::kWide, SearchPath::kBasic),
                         [](const auto& info) {
                             return info.param == SearchPath::kWide ? "Wide" : "Basic";
                         });

}  // namespace
}  // namespace korrin::patch
