// A definition, a value and a target, all of any content, through the whole of Apply onto a real
// file: the file keeps its length, is changed only when Apply says so, and then holds exactly
// what a plain model of the patch gives: each signature searched from the start, one after the
// other, in the bytes the earlier ones left.
//
// Input: definition, then "\n--8<--\n", then the value (its first byte "1" chooses the second
// option, and is not part of the value), then "\n--8<--\n", then the target's bytes.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/definition.h"
#include "check.h"
#include "common/number.h"
#include "common/text.h"
#include "patch/apply.h"
#include "patch/hex.h"
#include "patch/value.h"
#include "temp_folder.h"

using namespace korrin;

namespace {

constexpr std::string_view kCut = "\n--8<--\n";

std::string_view TakeSection(std::string_view* rest) {
    const std::size_t at = rest->find(kCut);
    const std::string_view section = rest->substr(0, at);
    rest->remove_prefix(at == std::string_view::npos ? rest->size() : at + kCut.size());
    return section;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The patched target, or none where the patch must not be applied.
std::optional<std::string> Model(const patch::ApplyRequest& request, std::string target) {
    if (!request.definitionProblems.empty()) return std::nullopt;
    std::string_view locations = request.locationList;
    const bool orMode = StartsWith(locations, "or|");
    if (orMode) locations.remove_prefix(3);
    const std::vector<std::string> signatures = SplitList(locations, ',');
    if (signatures.empty()) return std::nullopt;

    std::vector<std::string> values;
    if (request.valueKind == catalogue::ValueKind::kYesNo) {
        values = SplitList(request.secondOption ? request.offBytes : request.onBytes, ',');
        if (values.size() < signatures.size()) return std::nullopt;
        for (std::string& v : values) v = patch::HexToBytes(v);
    } else if (request.valueKind == catalogue::ValueKind::kNumber) {
        const std::optional<std::string> bytes = patch::NumberToBytes(ReadNumber(request.value));
        if (!bytes) return std::nullopt;
        values.assign(signatures.size(), *bytes);
    } else if (request.valueKind == catalogue::ValueKind::kText) {
        values.assign(signatures.size(), request.value);
    } else {
        return std::nullopt;
    }

    std::vector<std::string> decoded;
    for (const std::string& s : signatures) {
        decoded.push_back(patch::HexToBytes(s));
        if (decoded.back().empty()) return std::nullopt;
    }
    std::size_t hits = 0;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const auto found =
            std::search(target.begin(), target.end(), decoded[i].begin(), decoded[i].end());
        std::size_t at = static_cast<std::size_t>(found - target.begin()) + decoded[i].size();
        const bool hit = found != target.end() && (values[i].empty() || at < target.size());
        if (!hit) {
            if (!orMode) return std::nullopt;
            continue;
        }
        ++hits;
        for (std::size_t k = 0; k < values[i].size() && at < target.size(); ++k, ++at) {
            target[at] = values[i][k];
        }
    }
    if (hits == 0) return std::nullopt;
    return target;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const korrin::testing::TempFolder dir;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view rest = input;
    const std::string_view definition = TakeSection(&rest);
    std::string_view value = TakeSection(&rest);
    const std::string target(rest);

    patch::ApplyRequest request =
        patch::ApplyRequest::ForDefinition(catalogue::ParseDefinition(definition));
    request.secondOption = StartsWith(value, "1");
    if (!value.empty()) value.remove_prefix(1);
    request.value = value;
    request.targetPath = (dir.path() / "vplaces.exe").string();
    {
        std::ofstream out(request.targetPath, std::ios::binary | std::ios::trunc);
        out.write(target.data(), static_cast<std::streamsize>(target.size()));
    }

    const patch::ApplyResult result = patch::ApplyPatch(platform::FileSystem::Default(), request);
    const std::string after = ReadAll(request.targetPath);
    const std::optional<std::string> expected = Model(request, target);

    KORRIN_FUZZ_CHECK(!result.message.empty(), input);
    KORRIN_FUZZ_CHECK(after.size() == target.size(), input);
    KORRIN_FUZZ_CHECK(result.succeeded() == expected.has_value(), input);
    KORRIN_FUZZ_CHECK(after == (expected ? *expected : target), input);
    // No temporary copy is left beside the target.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()),
                                       std::filesystem::directory_iterator());
    KORRIN_FUZZ_CHECK(entries == 1, input);
    return 0;
}
