#pragma once

// A byte buffer for the chunks a file is read in. Its memory starts on a page boundary, which lets
// the kernel copy file pages into it several times faster than into a plain heap block, and it
// is never zero-filled: every byte is about to be overwritten by a read.

#include <cstddef>
#include <string_view>
#include <utility>

namespace korrin::platform {

class PageBuffer {
  public:
    PageBuffer() = default;
    ~PageBuffer() { Clear(); }
    PageBuffer(PageBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        if (this != &other) {
            Clear();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    // Makes the buffer size bytes long, dropping what it held; the new bytes are undefined.
    // False when the memory cannot be had; the buffer is then empty.
    bool Allocate(std::size_t size);

    // Frees the memory; the buffer is then empty.
    void Clear();

    char* data() { return data_; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }

  private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace korrin::platform
