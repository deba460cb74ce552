// Reception of the largest response the tool takes, 64 MiB in 4 KiB batches, beside a plain read
// of the same bytes: the header search and the buffer must keep reception linear in the response.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "update/reception.h"

namespace korrin::update {
namespace {

constexpr std::size_t kBatch = 4096;

// A response of exactly kMaxResponseBytes: a header, with or without the length line, then
// definition-like text lines.
std::string MakeResponse(bool announceLength) {
    std::string header = "HTTP/1.0 200 OK\r\n";
    std::string response;
    response.reserve(kMaxResponseBytes);
    const std::size_t headerSize = header.size() + (announceLength ? 28 : 0) + 2;
    if (announceLength) {
        const std::string length = std::to_string(kMaxResponseBytes - headerSize);
        header += "Content-Length: " + std::string(10 - length.size(), '0') + length + "\r\n";
    }
    response = header + "\r\n";
    const std::string_view line = "location:or|0F8C510100003D,75E8C745FC00000000\r\n";
    while (response.size() + line.size() <= kMaxResponseBytes) response += line;
    response.append(kMaxResponseBytes - response.size(), 'x');
    return response;
}

void PlainRead(benchmark::State& state) {
    const std::string response = MakeResponse(true);
    for (auto _ : state) {
        std::string buffer;
        for (std::size_t at = 0; at < response.size(); at += kBatch) {
            buffer.append(std::string_view(response).substr(at, kBatch));
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * response.size()));
}

void Receive(benchmark::State& state) {
    const std::string response = MakeResponse(state.range(0) != 0);
    for (auto _ : state) {
        Reception reception;
        for (std::size_t at = 0; at < response.size(); at += kBatch) {
            reception.Append(std::string_view(response).substr(at, kBatch));
            benchmark::DoNotOptimize(reception.ReceivedShare());
        }
        const std::size_t body = response.size() - response.find("\r\n\r\n") - 4;
        if (reception.overLimit() ||
            (state.range(0) != 0 && static_cast<std::size_t>(reception.contentLength()) != body)) {
            state.SkipWithError("the response was not received as announced");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * response.size()));
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
// 1: the header announces the length; 0: it does not, so the search for it runs to the end.
BENCHMARK(Receive)->Arg(1)->Arg(0)->ArgName("announced")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korrin::update
