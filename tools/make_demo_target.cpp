// Writes a stand-in vplaces.exe for trying the patcher without the real client: a few hundred
// KiB of machine-code-like filler in which every signature of the given definition files
// occurs exactly where it is planted, followed by the bytes the client ships with there.
// Before it keeps the file it applies every definition, with each option or the default
// value, to a copy, and fails unless every one of them succeeds.
//
//   make-demo-target SAMPLES_FOLDER OUTPUT_FILE

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "common/text.h"
#include "patch/apply.h"
#include "patch/hex.h"
#include "patch/search.h"

namespace {

using korrin::patch::Bytes;
namespace catalogue = korrin::catalogue;
namespace patch = korrin::patch;
namespace platform = korrin::platform;

constexpr std::size_t kSize = 320 * 1024;
constexpr std::size_t kFirstSite = 16 * 1024;
constexpr std::size_t kSiteSpacing = 20 * 1024;
// Room after a text site for a title longer than the default, as a user may type.
constexpr std::size_t kTextRoom = 64;

struct Site {
    std::size_t at;
    Bytes bytes;  // the signature and the bytes shipped after it
    std::size_t signatureSize;
};

// Bytes in the proportions of x86 code: zero runs, frequent opcodes and ModR/M bytes, and a
// share of anything. Fixed seed: the same file on every machine.
Bytes Filler(std::size_t size) {
    const unsigned char frequent[] = {0x8B, 0x89, 0x48, 0xE8, 0x0F, 0x83, 0x24, 0x44,
                                      0x85, 0xC0, 0x74, 0x75, 0xFF, 0xCC, 0x90, 0xC3};
    std::uint32_t state = 0x4B4F5252;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    Bytes data = "MZ\x90";
    while (data.size() < size) {
        const std::uint32_t r = next();
        if (r % 8 == 0) {
            data.append(4 + r % 29, '\0');
        } else if (r % 8 < 6) {
            data.push_back(static_cast<char>(frequent[(r >> 8) % std::size(frequent)]));
        } else {
            data.push_back(static_cast<char>(r >> 16));
        }
    }
    data.resize(size);
    return data;
}

std::vector<Bytes> Signatures(const patch::ApplyRequest& request) {
    std::vector<Bytes> signatures;
    for (const std::string& text : catalogue::SplitLocations(request.locationList).signatures) {
        signatures.push_back(patch::HexToBytes(text));
    }
    return signatures;
}

// What the client has after signature i before any patch: the second option's bytes of a
// two-choice patch (the samples list the patched choice first), else the default value.
Bytes Shipped(const patch::ApplyRequest& request, std::size_t i) {
    if (request.valueKind == catalogue::ValueKind::kYesNo) {
        const std::vector<std::string> items = korrin::SplitList(request.offBytes, ',');
        return i < items.size() ? patch::HexToBytes(items[i]) : Bytes();
    }
    if (request.valueKind == catalogue::ValueKind::kText) {
        Bytes room = request.value;
        room.resize(std::max(room.size(), kTextRoom), '\0');
        return room;
    }
    return Bytes("\xFF\x00", 2);  // a "num" default is written over it by the check below
}

bool InsideAnySite(std::size_t at, const std::vector<Site>& sites) {
    return std::any_of(sites.begin(), sites.end(),
                       [&](const Site& s) { return at >= s.at && at < s.at + s.bytes.size(); });
}

// Breaks every chance occurrence of a signature before its site by changing one filler byte
// in it, so that the planted one is the first.
bool MakeSitesFirst(Bytes& data, const std::vector<Site>& sites) {
    for (int round = 0; round < 10000; ++round) {
        bool changed = false;
        for (const Site& site : sites) {
            const std::string_view signature(site.bytes.data(), site.signatureSize);
            const std::size_t found = patch::FindFirst(data, signature);
            if (found == site.at) continue;
            std::size_t byte = found;
            while (byte < found + signature.size() && InsideAnySite(byte, sites)) ++byte;
            if (found == patch::kNotFound || byte == found + signature.size()) return false;
            data[byte] = static_cast<char>(data[byte] ^ 0x5A);
            changed = true;
        }
        if (!changed) return true;
    }
    return false;
}

std::vector<patch::ApplyRequest> Variants(patch::ApplyRequest request) {
    if (request.valueKind != catalogue::ValueKind::kYesNo) return {request};
    patch::ApplyRequest second = request;
    second.secondOption = true;
    return {request, second};
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "make-demo-target: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: make-demo-target SAMPLES_FOLDER OUTPUT_FILE");
    platform::FileSystem& fs = platform::FileSystem::Default();
    const std::string samples = platform::WithTrailingSeparator(argv[1]);
    const std::string output = argv[2];

    std::vector<std::pair<std::string, patch::ApplyRequest>> definitions;
    for (const std::string& name : catalogue::ListDefinitionFiles(fs, samples)) {
        patch::ApplyRequest request =
            patch::ApplyRequest::ForDefinition(catalogue::ReadDefinition(fs, samples + name));
        if (!request.definitionProblems.empty()) {
            return Fail(name + ": " + request.definitionProblems.front());
        }
        definitions.emplace_back(name, std::move(request));
    }
    if (definitions.empty()) return Fail("no definition files in " + samples);

    Bytes data = Filler(kSize);
    std::vector<Site> sites;
    for (const auto& [name, request] : definitions) {
        const std::vector<Bytes> signatures = Signatures(request);
        for (std::size_t i = 0; i < signatures.size(); ++i) {
            const std::size_t at = kFirstSite + sites.size() * kSiteSpacing;
            Site site{at, signatures[i] + Shipped(request, i), signatures[i].size()};
            if (site.signatureSize == 0 || at + site.bytes.size() > data.size()) {
                return Fail(name + ": signature " + std::to_string(i) + " cannot be planted");
            }
            data.replace(at, site.bytes.size(), site.bytes);
            sites.push_back(std::move(site));
        }
    }
    if (!MakeSitesFirst(data, sites)) return Fail("the signatures overlap one another");

    std::filesystem::create_directories(std::filesystem::path(output).parent_path());
    const std::string check = output + ".check";
    for (const auto& [name, request] : definitions) {
        for (patch::ApplyRequest variant : Variants(request)) {
            if (const korrin::Status copied = platform::WriteWholeFile(fs, check, data);
                !copied.ok()) {
                return Fail(copied.reason);
            }
            variant.targetPath = check;
            const patch::ApplyResult result = patch::ApplyPatch(fs, variant);
            if (!result.succeeded()) {
                korrin::IgnoreStatus(fs.RemoveFile(check),
                                     "the check copy is the build's own scratch file");
                return Fail(name + (variant.secondOption ? " (second option): " : ": ") +
                            result.message);
            }
        }
    }
    korrin::IgnoreStatus(fs.RemoveFile(check), "the check copy is the build's own scratch file");

    const korrin::Status written = platform::WriteWholeFile(fs, output, data);
    if (!written.ok()) return Fail(written.reason);
    std::printf("%s: %zu bytes, %zu signature sites from %zu definitions\n", output.c_str(),
                data.size(), sites.size(), definitions.size());
    return 0;
}
