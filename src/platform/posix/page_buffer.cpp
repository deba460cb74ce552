#include "platform/page_buffer.h"

#include <unistd.h>

#include <cstdlib>

namespace korrin::platform {

bool PageBuffer::Allocate(std::size_t size) {
    Clear();
    if (size == 0) return true;
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::size_t align = page > 0 ? static_cast<std::size_t>(page) : 4096;
    if (size > static_cast<std::size_t>(-1) - align) return false;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + align - 1) / align * align;
    data_ = static_cast<char*>(std::aligned_alloc(align, rounded));
    if (data_ == nullptr) return false;
    size_ = size;
    return true;
}

void PageBuffer::Clear() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace korrin::platform
