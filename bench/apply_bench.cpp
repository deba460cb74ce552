// Apply on a large target, beside the floor that no patcher can beat: copying the file once
// with cp and flushing it with sync (reading, writing and flushing every byte once).
//
// The target is generated: machine-code-like filler full of near-misses of the ten
// signatures (their prefixes, with a wrong last byte, every few hundred bytes), zero runs and
// frequent opcode bytes, with the ten signatures themselves in its last MiB.
//
//   apply_bench --korrin_folder=DIR [--korrin_mib=256] [benchmark flags]
//
// scripts/bench-apply.sh runs it as docs/benchmarks.md reports it.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "patch/apply.h"
#include "patch/search.h"
#include "patch/vp_patch.h"
#include "platform/file_system.h"

namespace {

using korrin::patch::Bytes;
namespace patch = korrin::patch;
namespace platform = korrin::platform;

std::string gFolder;
std::size_t gSize = 256u << 20;

std::string TargetPath() {
    return gFolder + "/vplaces.exe";
}

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

std::string HexList(const std::vector<Bytes>& items) {
    std::string text;
    for (const Bytes& item : items) {
        if (!text.empty()) text += ',';
        for (unsigned char c : item) {
            static const char digits[] = "0123456789ABCDEF";
            text += digits[c >> 4];
            text += digits[c & 15];
        }
    }
    return text;
}

// Where signature i is planted: 64 KiB apart, in the last MiB.
std::size_t Site(std::size_t i) {
    return gSize - (1u << 20) + i * (64u << 10);
}

void Generate() {
    const unsigned char frequent[] = {0x8B, 0x89, 0x48, 0xE8, 0x0F, 0x83, 0x24, 0x44,
                                      0x85, 0xC0, 0x74, 0x75, 0xFF, 0xCC, 0x90, 0xC3};
    const std::vector<Bytes>& signatures = Signatures();
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    FILE* out = std::fopen(TargetPath().c_str(), "wb");
    if (out == nullptr) {
        std::perror(TargetPath().c_str());
        std::exit(1);
    }
    Bytes chunk;
    std::size_t written = 0, nearMiss = 0;
    while (written < gSize) {
        chunk.clear();
        while (chunk.size() < (1u << 20)) {
            const std::uint64_t r = next();
            if (r % 512 == 0) {
                // A near-miss: a signature with its first or its last byte wrong.
                Bytes miss = signatures[nearMiss++ % signatures.size()];
                miss[r % 1024 == 0 ? 0 : miss.size() - 1] ^= 0x20;
                chunk += miss;
            } else if (r % 8 == 1) {
                chunk.append(4 + (r >> 8) % 29, '\0');
            } else if (r % 8 < 6) {
                chunk.push_back(static_cast<char>(frequent[(r >> 8) % std::size(frequent)]));
            } else {
                chunk.push_back(static_cast<char>(r >> 16));
            }
        }
        chunk.resize(std::min(chunk.size(), gSize - written));
        for (std::size_t i = 0; i < signatures.size(); ++i) {
            const std::size_t at = Site(i);
            if (at >= written && at < written + chunk.size()) {
                chunk.replace(at - written, signatures[i].size() + 2, signatures[i] + "\x90\x90");
            }
        }
        std::fwrite(chunk.data(), 1, chunk.size(), out);
        written += chunk.size();
    }
    std::fclose(out);
}

// The planted signatures must be the first occurrences, or Apply would measure less work.
bool SitesAreFirst() {
    patch::vpPatch engine(platform::FileSystem::Default());
    if (engine.LoadExe(TargetPath()) != 1) return false;
    for (std::size_t i = 0; i < Signatures().size(); ++i) {
        if (patch::FindFirst(engine.exeData(), Signatures()[i]) != Site(i)) return false;
    }
    return true;
}

patch::ApplyRequest TenSignatureRequest() {
    patch::ApplyRequest request;
    request.targetPath = TargetPath();
    request.valueKind = korrin::catalogue::ValueKind::kYesNo;
    request.onBytes = HexList(std::vector<Bytes>(Signatures().size(), "\xEB\x90"));
    request.locationList = HexList(Signatures());
    return request;
}

void BM_CopyAndSync(benchmark::State& state) {
    const std::string command = "cp '" + TargetPath() + "' '" + gFolder + "/copy.exe' && sync";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp or sync failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gSize));
}

void BM_Apply(benchmark::State& state) {
    const patch::ApplyRequest request = TenSignatureRequest();
    for (auto _ : state) {
        const patch::ApplyResult result =
            patch::ApplyPatch(platform::FileSystem::Default(), request);
        if (!result.succeeded()) state.SkipWithError(result.message.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gSize));
}

void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        patch::vpPatch engine(platform::FileSystem::Default());
        if (engine.LoadExe(TargetPath()) != 1) state.SkipWithError(engine.message().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gSize));
}

// One first-occurrence search through the whole target, for the last signature.
void BM_FindFirst(benchmark::State& state) {
    patch::vpPatch engine(platform::FileSystem::Default());
    if (engine.LoadExe(TargetPath()) != 1) return state.SkipWithError("load failed");
    const Bytes& signature = Signatures().back();
    for (auto _ : state) {
        benchmark::DoNotOptimize(patch::FindFirst(engine.exeData(), signature));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gSize));
}

// All ten signatures, found and patched in turn as Apply does, on data already loaded.
void BM_PatchTen(benchmark::State& state) {
    patch::vpPatch engine(platform::FileSystem::Default());
    if (engine.LoadExe(TargetPath()) != 1) return state.SkipWithError("load failed");
    std::vector<patch::Edit> edits;
    for (const Bytes& signature : Signatures()) edits.push_back({signature, "\xEB\x90"});
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.PatchBytesInTurn(edits, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gSize));
}

BENCHMARK(BM_CopyAndSync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Apply)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_FindFirst)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_PatchTen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// Prints as usual and keeps each repetition's seconds per iteration for the summary.
class Collector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            seconds[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                          static_cast<double>(run.iterations));
        }
    }
    double Median(const std::string& name) {
        std::vector<double>& v = seconds[name];
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    std::map<std::string, std::vector<double>> seconds;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--korrin_folder=", 0) == 0) {
            gFolder = arg.substr(16);
        } else if (arg.rfind("--korrin_mib=", 0) == 0) {
            gSize = std::stoul(arg.substr(13)) << 20;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (gFolder.empty() || gSize < (2u << 20)) {
        std::fprintf(stderr, "usage: %s --korrin_folder=DIR [--korrin_mib=256] [flags]\n", argv[0]);
        return 2;
    }
    std::filesystem::create_directories(gFolder);
    std::printf("Generating a %zu MiB target in %s\n", gSize >> 20, gFolder.c_str());
    Generate();
    if (!SitesAreFirst()) {
        std::fprintf(stderr, "the generated target has a signature before its site\n");
        return 1;
    }
    // Whatever generating left unwritten must not be flushed by the first sync timed.
    if (std::system("sync") != 0) return 1;

    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double floor = collector.Median("BM_CopyAndSync");
    const double apply = collector.Median("BM_Apply");
    const double find = collector.Median("BM_FindFirst");
    const double ten = collector.Median("BM_PatchTen");
    const double mib = static_cast<double>(gSize) / (1 << 20);
    const double peakMib = static_cast<double>(usage.ru_maxrss) / 1024;
    std::printf("\nSummary (medians), target %.0f MiB, %zu signatures in its last MiB\n", mib,
                Signatures().size());
    if (floor > 0 && apply > 0) {
        std::printf("  cp + sync (floor)        %8.3f s\n", floor);
        std::printf("  Apply                    %8.3f s   %.2f x the floor (limit 2.5)\n", apply,
                    apply / floor);
    }
    if (find > 0) {
        std::printf("  first-occurrence search  %8.1f GB/s (limit 8)\n", gSize / find / 1e9);
    }
    if (ten > 0) {
        std::printf("  ten signatures in turn   %8.1f ms, %.1f GB/s of target\n", ten * 1e3,
                    gSize / ten / 1e9);
    }
    std::printf("  peak memory              %8.0f MiB (limit %.0f MiB: target + 64 MiB)\n", peakMib,
                mib + 64);
    std::filesystem::remove(gFolder + "/copy.exe");
    return 0;
}
