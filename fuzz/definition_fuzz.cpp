// Definition files as a user may write them: line splitting, key matching, the reading of
// "param:" and "location:", and the link between a catalogue entry and its file.

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "check.h"
#include "common/text.h"

using namespace korrin;

namespace {

constexpr std::string_view kKeyNames[] = {"patch:", "description:", "param:", "location:"};

// The text with every end mark taken out, lone LFs kept.
std::string WithoutEndMarks(std::string_view text, std::size_t* marks) {
    std::string out;
    *marks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.push_back(text[i]);
            continue;
        }
        ++*marks;
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

void CheckLines(std::string_view text) {
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t marks = 0;
    const std::string expected = WithoutEndMarks(text, &marks);
    std::string joined;
    for (const std::string& line : lines) {
        KORRIN_FUZZ_CHECK(line.find('\r') == std::string::npos, text);
        joined += line;
    }
    KORRIN_FUZZ_CHECK(joined == expected, text);
    // One line per end mark, and one more when text follows the last mark.
    const std::size_t lastMark = text.find_last_of('\r');
    const bool tail = lastMark == std::string_view::npos
                          ? !text.empty()
                          : lastMark + 1 < text.size() && text.substr(lastMark + 1) != "\n";
    KORRIN_FUZZ_CHECK(lines.size() == marks + (tail ? 1 : 0), text);
}

void CheckKey(std::string_view line) {
    const catalogue::KeyedLine keyed = catalogue::ClassifyLine(line);
    if (keyed.key == catalogue::Key::kNone) {
        for (std::string_view name : kKeyNames) {
            KORRIN_FUZZ_CHECK(LowerCase(line.substr(0, name.size())) != name, line);
        }
        return;
    }
    const std::string_view name = kKeyNames[static_cast<int>(keyed.key) - 1];
    KORRIN_FUZZ_CHECK(LowerCase(line.substr(0, name.size())) == name, line);
    KORRIN_FUZZ_CHECK(line.substr(name.size()) == keyed.value, line);
}

void CheckDefinition(std::string_view text) {
    const catalogue::DefinitionView view = catalogue::ParseDefinition(text);
    KORRIN_FUZZ_CHECK(view.read, text);
    KORRIN_FUZZ_CHECK(LowerCase(view.valueKindText) == view.valueKindText, text);
    if (view.complete()) {
        KORRIN_FUZZ_CHECK(view.hasParam && view.locationList.has_value(), text);
        if (view.valueKind == catalogue::ValueKind::kYesNo) {
            KORRIN_FUZZ_CHECK(view.firstOption && view.secondOption, text);
        }
        if (view.valueKind == catalogue::ValueKind::kNumber ||
            view.valueKind == catalogue::ValueKind::kText) {
            KORRIN_FUZZ_CHECK(view.valueText.has_value(), text);
        }
    }
    // The last line of each key wins, whatever came before it.
    std::optional<std::string> lastDescription, lastLocation;
    for (const std::string& line : SplitLines(text)) {
        catalogue::KeyedLine keyed = catalogue::ClassifyLine(line);
        if (keyed.key == catalogue::Key::kDescription) lastDescription = keyed.value;
        if (keyed.key == catalogue::Key::kLocation) lastLocation = keyed.value;
    }
    KORRIN_FUZZ_CHECK(view.description == lastDescription, text);
    KORRIN_FUZZ_CHECK(view.locationList == lastLocation, text);
}

// An entry names its file again, unless its title ends in a blank or holds the link itself.
void CheckEntryLink(const std::string& title, std::string_view text) {
    const catalogue::CatalogueEntry entry{title, "x.pat"};
    const std::optional<std::string> name = catalogue::FileNameFromEntry(entry.text());
    KORRIN_FUZZ_CHECK(name.has_value(), text);
    if (title.empty() ||
        (title.back() != ' ' && title.find(catalogue::kEntryLink) == std::string::npos)) {
        KORRIN_FUZZ_CHECK(*name == "x.pat", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckLines(text);
    for (const std::string& line : SplitLines(text)) {
        CheckKey(line);
        const catalogue::KeyedLine keyed = catalogue::ClassifyLine(line);
        if (keyed.key == catalogue::Key::kPatch) CheckEntryLink(keyed.value, text);
    }
    CheckDefinition(text);
    return 0;
}
