// A response of any content, split into batches in any way: what the reception makes of it, and
// the verdict on it, never depend on how the bytes were split.
//
// Input: the first byte seeds where the response is cut into batches; the rest is the response.

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "check.h"
#include "common/number.h"
#include "update/reception.h"
#include "update/response.h"

using namespace korrin;

namespace {

// The announced length by the rule as written, over the whole response at once.
std::int32_t AnnouncedInWhole(std::string_view response) {
    const std::size_t name = response.find("Content-Length:");
    if (name == std::string_view::npos) return 0;
    const std::size_t end = response.find("\r\n", name);
    const std::size_t valueAt = name + 16;
    if (end == std::string_view::npos || end < valueAt) return 0;
    const double value = RoundHalfEven(ReadNumber(response.substr(valueAt, end - valueAt)));
    if (value < 0 || value > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(value);
}

void CheckSame(const update::Reception& a, const update::Reception& b, std::string_view input) {
    KORRIN_FUZZ_CHECK(a.receiveBuffer() == b.receiveBuffer(), input);
    KORRIN_FUZZ_CHECK(a.contentLength() == b.contentLength(), input);
    KORRIN_FUZZ_CHECK(a.overLimit() == b.overLimit(), input);
    KORRIN_FUZZ_CHECK(a.ReceivedShare() == b.ReceivedShare(), input);
    const update::ResponseVerdict va = update::JudgeResponse(a), vb = update::JudgeResponse(b);
    KORRIN_FUZZ_CHECK(va.usable == vb.usable, input);
    KORRIN_FUZZ_CHECK(va.message == vb.message, input);
    KORRIN_FUZZ_CHECK(va.body == vb.body, input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view response = input.substr(1);

    update::Reception whole;
    whole.Append(response);
    KORRIN_FUZZ_CHECK(whole.receiveBuffer() == response, input);
    KORRIN_FUZZ_CHECK(whole.contentLength() == AnnouncedInWhole(response), input);
    const update::ResponseVerdict verdict = update::JudgeResponse(whole);
    KORRIN_FUZZ_CHECK(verdict.usable == verdict.message.empty(), input);
    KORRIN_FUZZ_CHECK(!verdict.usable || response.ends_with(verdict.body), input);

    // Every byte a batch of its own, and batches of random lengths, empty ones included. Once
    // known, the announced length never changes.
    update::Reception bytewise;
    for (const char c : response) {
        bytewise.Append(std::string_view(&c, 1));
        KORRIN_FUZZ_CHECK(
            bytewise.contentLength() == 0 || bytewise.contentLength() == whole.contentLength(),
            input);
    }
    CheckSame(whole, bytewise, input);

    std::minstd_rand random(data[0] + 1u);
    update::Reception batched;
    for (std::size_t at = 0; at < response.size();) {
        const std::size_t length = random() % 24;
        batched.Append(response.substr(at, length));
        at += length;
    }
    CheckSame(whole, batched, input);
    return 0;
}
