#include "update/reception.h"

#include <algorithm>
#include <limits>

#include "common/number.h"

namespace korrin::update {
namespace {

constexpr std::string_view kLengthName = "Content-Length:";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

void Reception::Append(std::string_view batch) {
    if (overLimit_) return;
    if (batch.size() > kMaxResponseBytes - receiveBuffer_.size()) {
        overLimit_ = true;
        std::string().swap(receiveBuffer_);
        return;
    }
    receiveBuffer_.append(batch);
    ReadContentLength();
}

void Reception::ReadContentLength() {
    if (lengthLineRead_) return;
    const std::string& buffer = receiveBuffer_;
    if (nameAt_ == std::string::npos) {
        nameAt_ = buffer.find(kLengthName, nameSearchFrom_);
        if (nameAt_ == std::string::npos) {
            // The name may have arrived in part: the next search starts where it could begin.
            const std::size_t keep = kLengthName.size() - 1;
            nameSearchFrom_ = buffer.size() > keep ? buffer.size() - keep : 0;
            return;
        }
        lineEndSearchFrom_ = nameAt_ + kLengthName.size();
    }
    const std::size_t lineEnd = buffer.find(kLineEnd, lineEndSearchFrom_);
    if (lineEnd == std::string::npos) {
        // A CR at the very end may be the first half of the line end.
        lineEndSearchFrom_ = std::max(lineEndSearchFrom_, buffer.size() - 1);
        return;
    }
    lengthLineRead_ = true;

    const std::size_t valueAt = nameAt_ + kLengthName.size() + 1;
    if (lineEnd < valueAt) return;
    const double value =
        RoundHalfEven(ReadNumber(std::string_view(buffer).substr(valueAt, lineEnd - valueAt)));
    if (value >= 0 && value <= std::numeric_limits<std::int32_t>::max()) {
        contentLength_ = static_cast<std::int32_t>(value);
    }
}

std::optional<double> Reception::ReceivedShare() const {
    if (overLimit_ || contentLength_ == 0) return std::nullopt;
    return static_cast<double>(receiveBuffer_.size()) / contentLength_;
}

}  // namespace korrin::update
