// The benchmark target and, as details, in-process timings of the one-pass search.
//
//   apply_bench --generate DIR [--mib=256]   writes DIR/vplaces.exe and DIR/program/*.pat
//   apply_bench --target FILE [benchmark flags]
//
// The target is machine-code-like filler full of near-misses of the ten signatures (their
// prefixes with a wrong last byte, every few hundred bytes), zero runs and frequent opcode
// bytes, with the ten signatures themselves in its last MiB. The program folder holds ten
// entries: "Ten sites" (a "yn" patch of all ten signatures, the one bench/whole_process.sh
// applies) and nine of one signature each, of every kind, one of them absent from the target.
//
// The headline figures are whole processes timed from outside (bench/whole_process.sh): an
// in-process loop reuses warm memory and never pays what a fresh process pays.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "patch/search.h"
#include "patch/target_pass.h"
#include "platform/file_system.h"

namespace {

namespace patch = korrin::patch;
using patch::Bytes;

const std::vector<Bytes>& Signatures() {
    static const std::vector<Bytes> signatures = {
        {"\x83\x3D\x4C\x8B\x5A\x00\x00", 7}, {"\xC7\x44\x24\x10\x00\x01\x00\x00", 8},
        {"\x66\x81\xF9\xFF\x00", 5},         {"\x85\xC0\x0F\x84\xA2\x01", 6},
        {"\x85\xC0\xE8\x3C\x12", 5},         {"\x56\x50\x54\x0D\x0A", 5},
        {"\x8B\x45\xFC\x89\x45\xF8\xE8", 7}, {"\x0F\xB6\x05\x7C\x3A\x4E\x00", 7},
        {"\x3B\xC3\x75\x0E\x6A\x01", 6},     {"\xFF\x15\xD8\xC1\x4D\x00", 6},
    };
    return signatures;
}

std::string Hex(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

void Generate(const std::string& folder, std::uint64_t size) {
    const unsigned char frequent[] = {0x8B, 0x89, 0x48, 0xE8, 0x0F, 0x83, 0x24, 0x44,
                                      0x85, 0xC0, 0x74, 0x75, 0xFF, 0xCC, 0x90, 0xC3};
    const std::vector<Bytes>& signatures = Signatures();
    const auto site = [&](std::size_t i) { return size - (1u << 20) + i * (64u << 10); };
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    const auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::filesystem::create_directories(folder + "/program");
    std::ofstream out(folder + "/vplaces.exe", std::ios::binary | std::ios::trunc);
    Bytes chunk;
    std::uint64_t written = 0;
    std::size_t nearMiss = 0;
    while (written < size) {
        chunk.clear();
        while (chunk.size() < (1u << 20)) {
            const std::uint64_t r = next();
            if (r % 512 == 0) {
                Bytes miss = signatures[nearMiss++ % signatures.size()];
                miss.back() ^= 0x20;
                chunk += miss;
            } else if (r % 8 == 1) {
                chunk.append(4 + (r >> 8) % 29, '\0');
            } else if (r % 8 < 6) {
                chunk.push_back(static_cast<char>(frequent[(r >> 8) % std::size(frequent)]));
            } else {
                chunk.push_back(static_cast<char>(r >> 16));
            }
        }
        chunk.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - written)));
        for (std::size_t i = 0; i < signatures.size(); ++i) {
            if (site(i) >= written && site(i) < written + chunk.size()) {
                chunk.replace(site(i) - written, signatures[i].size() + 2,
                              signatures[i] + "\x90\x90");
            }
        }
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        written += chunk.size();
    }

    const auto definition = [&](const std::string& name, const std::string& title,
                                const std::string& param, const std::string& locations) {
        std::ofstream pat(folder + "/program/" + name, std::ios::binary | std::ios::trunc);
        pat << "patch:" << title << "\r\ndescription:Benchmark.\r\nparam:" << param
            << "\r\nlocation:" << locations << "\r\n";
    };
    std::string all, on;
    for (const Bytes& s : signatures) {
        // Appended piece by piece: "," + Hex(s) draws a false -Wrestrict from GCC 12 at -O3.
        if (!all.empty()) all += ',';
        all += Hex(s);
        if (!on.empty()) on += ',';
        on += "EB90";
    }
    definition("a_ten_sites.pat", "Ten sites", "yn|On:" + on + "|Off:" + on, all);
    const char* params[] = {"yn|On:9090|Off:7405", "num|255", "text|Virtual Places"};
    for (std::size_t i = 1; i < 9; ++i) {
        definition("b_site_" + std::to_string(i) + ".pat", "Site " + std::to_string(i),
                   params[i % 3], Hex(signatures[i]));
    }
    definition("c_absent.pat", "Another build", "yn|On:90|Off:74", "0F0B0F0B0F0B0F");
}

std::string gTarget;

// The ten signatures found in one pass, through each block comparison.
void BM_Pass(benchmark::State& state, patch::SearchPath path) {
    patch::ForceSearchPath(path);
    std::unique_ptr<korrin::platform::ReadableFile> file;
    korrin::platform::FileInfo info;
    if (!korrin::platform::FileSystem::Default().OpenForReading(gTarget, &file, &info).ok()) {
        return state.SkipWithError("cannot open the target");
    }
    std::vector<patch::Edit> edits;
    for (const Bytes& s : Signatures()) edits.push_back({s, "\xEB\x90"});
    for (auto _ : state) {
        patch::TargetPass pass(*file, info.size);
        pass.AddEdits(edits, true);
        if (!pass.Run().ok()) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * info.size));
    patch::ForceSearchPath(patch::SearchPath::kAuto);
}
BENCHMARK_CAPTURE(BM_Pass, wide, patch::SearchPath::kWide)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pass, basic, patch::SearchPath::kBasic)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    std::string generate;
    std::uint64_t mib = 256;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--generate" && i + 1 < argc) {
            generate = argv[++i];
        } else if (arg.rfind("--mib=", 0) == 0) {
            mib = std::stoull(arg.substr(6));
        } else if (arg == "--target" && i + 1 < argc) {
            gTarget = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (!generate.empty()) {
        if (mib < 2) return 2;
        Generate(generate, mib << 20);
        return 0;
    }
    if (gTarget.empty()) {
        std::fprintf(stderr, "usage: %s --generate DIR [--mib=256] | --target FILE\n", argv[0]);
        return 2;
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
