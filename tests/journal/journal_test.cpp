// The journal's bytes: records survive a crash that tore the last one (or one that another
// process appended after it), and an Apply reports the spans the file really changed in.

#include "journal/journal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "journal/crc32.h"
#include "patch/apply.h"
#include "temp_folder.h"

namespace korrin::journal {
namespace {

using patch::WrittenSpan;
using ::testing::ElementsAre;

Record Sample(std::string title, std::uint64_t offset) {
    Record record;
    record.stamp = 0x0102030405060708 + offset;
    record.time = 1'800'000'000;
    record.targetPath = "/home/user/vp/vplaces.exe";
    record.targetSize = 4096;
    record.title = std::move(title);
    record.file = "window_title.pat";
    record.value = "My VP";
    record.spans = {{offset, std::string("ab\0", 3), std::string("XY\xFF", 3)},
                    {offset + 9, "c", "Z"}};
    return record;
}

TEST(Crc32, CheckValue) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(Journal, RecordsBeforeATornOneAreKeptAtEveryCut) {
    const Record first = Sample("first", 10), second = Sample("second", 20),
                 third = Sample("third", 30);
    const std::string a = EncodeRecord(first), b = EncodeRecord(second), c = EncodeRecord(third);
    ASSERT_THAT(DecodeJournal(a + b + c), ElementsAre(first, second, third));
    for (std::size_t cut = 0; cut < b.size(); ++cut) {
        // A crash while the last record was written.
        EXPECT_THAT(DecodeJournal(a + b.substr(0, cut)), ElementsAre(first)) << "cut " << cut;
        // The same, and another process appended after it.
        EXPECT_THAT(DecodeJournal(a + b.substr(0, cut) + c), ElementsAre(first, third))
            << "cut " << cut;
    }
    // A flipped bit anywhere in a record drops it alone.
    for (std::size_t at = 0; at < b.size(); ++at) {
        std::string damaged = b;
        damaged[at] ^= 0x10;
        EXPECT_THAT(DecodeJournal(a + damaged + c), ElementsAre(first, third)) << "byte " << at;
    }
}

struct FoldCase {
    const char* name;
    std::string target;
    std::string locations;  // of a "text" patch
    std::string value;
    std::optional<std::vector<WrittenSpan>> spans;  // none: the hook is not called
};

TEST(WrittenSpans, DescribeTheFilesRealChange) {
    const FoldCase cases[] = {
        {"bytes past the end are dropped", "\x11\x22\x33", "22", "abcdef",
         std::vector<WrittenSpan>{{2, "\x33", "a"}}},
        // "33" is found where the first write put it: the later write covers part of the
        // earlier one, and a byte written with what it held already is no change.
        {"later writes fold over earlier ones", "\x11\x22\x33\x44\x55", "11,33", "\x33\x99",
         std::vector<WrittenSpan>{{1, "\x22", "\x33"}, {3, "\x44", "\x99"}}},
        {"writing what is there changes nothing", "\x11\x22\x33", "11", "\x22\x33", std::nullopt},
    };
    for (const FoldCase& c : cases) {
        testing::TempFolder dir;
        patch::ApplyRequest request;
        request.targetPath = dir.Write("vplaces.exe", c.target);
        request.valueKind = catalogue::ValueKind::kText;
        request.locationList = c.locations;
        request.value = c.value;
        std::optional<std::vector<WrittenSpan>> told;
        const patch::ApplyResult result = patch::ApplyPatch(
            platform::FileSystem::Default(), request, {},
            [&](std::span<const WrittenSpan> spans) { told.emplace(spans.begin(), spans.end()); });
        ASSERT_TRUE(result.succeeded()) << c.name << ": " << result.message;
        EXPECT_EQ(told, c.spans) << c.name;
    }
}

}  // namespace
}  // namespace korrin::journal
