#pragma once

// Reception of the update response: the bytes gathered batch by batch, the announced length read
// from them, and the share of it received, which the progress bar shows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korrin::update {

// No description file comes near this size; a larger response is dropped unused.
inline constexpr std::size_t kMaxResponseBytes = std::size_t{64} << 20;

// The state of one connection's response. Work per batch is proportional to the batch, not to the
// buffer: appending grows the buffer geometrically, and the header search resumes where the
// previous batch left it, so a response costs about as much as reading it.
class Reception {
  public:
    // Adds one batch of bytes, in arrival order, and reads the announced length once its line
    // is complete. A response that grows past kMaxResponseBytes releases what it had gathered
    // and drops every later batch: it is never used, so keeping it would only cost memory.
    void Append(std::string_view batch);

    // Back to the empty state of a new connection.
    void Clear() { *this = Reception(); }

    // Everything received so far, status line and header included, one character per byte.
    // Empty once the response went over the limit.
    const std::string& receiveBuffer() const { return receiveBuffer_; }

    // The length that the first "Content-Length:" in the buffer announces, or 0 while none is
    // complete. The name is compared with letter case significant, wherever it stands, the body
    // included, and the one character after the colon is skipped unread; the rest of the line is
    // read by the lenient number rule. A value outside 0 to 2^31-1, or a line that ends right
    // after the colon, leaves it at 0.
    std::int32_t contentLength() const { return contentLength_; }

    bool overLimit() const { return overLimit_; }

    // The share of the announced length received so far, counting the header too, so it ends
    // above 1. None while no length is known.
    std::optional<double> ReceivedShare() const;

  private:
    void ReadContentLength();

    std::string receiveBuffer_;
    std::int32_t contentLength_ = 0;
    bool overLimit_ = false;
    bool lengthLineRead_ = false;  // later occurrences never count, so searching ends here
    std::size_t nameAt_ = std::string::npos;
    std::size_t nameSearchFrom_ = 0;
    std::size_t lineEndSearchFrom_ = 0;
};

}  // namespace korrin::update
