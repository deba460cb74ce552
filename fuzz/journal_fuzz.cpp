// The journal reader on any bytes, as a crash or a damaged disk may leave them: it never reads
// out of bounds, every record it returns reads back the same from its own encoding, and a
// journal written afresh from those records reads back the same whether its next record is
// whole or torn at any byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "journal/journal.h"

using namespace korrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<journal::Record> records = journal::DecodeJournal(bytes);

    std::string rewritten;
    for (const journal::Record& record : records) {
        const std::string framed = journal::EncodeRecord(record);
        const std::vector<journal::Record> again = journal::DecodeJournal(framed);
        KORRIN_FUZZ_CHECK(again.size() == 1 && again.front() == record, bytes);
        rewritten += framed;
    }
    KORRIN_FUZZ_CHECK(journal::DecodeJournal(rewritten) == records, bytes);

    journal::Record next;
    next.title = "appended next";
    next.spans = {{7, "\x90", "\x74"}};
    const std::string framed = journal::EncodeRecord(next);
    std::vector<journal::Record> expected = records;
    KORRIN_FUZZ_CHECK(
        journal::DecodeJournal(rewritten + framed.substr(0, size % framed.size())) == expected,
        bytes);
    expected.push_back(next);
    KORRIN_FUZZ_CHECK(journal::DecodeJournal(rewritten + framed) == expected, bytes);
    return 0;
}
