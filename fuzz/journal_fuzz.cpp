// The journal reader on any bytes, as a crash or a damaged disk may leave them: every record it
// returns is one that its own encoding reads back as the same, the records of a journal written
// afresh from them read back in order, and an intact record appended after any bytes is read.

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

    journal::Record last;
    last.title = "appended after";
    last.spans = {{7, "\x90", "\x74"}};
    const std::vector<journal::Record> after =
        journal::DecodeJournal(std::string(bytes) + journal::EncodeRecord(last));
    KORRIN_FUZZ_CHECK(!after.empty() && after.back() == last, bytes);
    return 0;
}
