#include "platform/page_buffer.h"

#include <malloc.h>
#include <windows.h>

namespace korrin::platform {

bool PageBuffer::Allocate(std::size_t size) {
    Clear();
    if (size == 0) return true;
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    const std::size_t align = system.dwPageSize > 0 ? system.dwPageSize : 4096;
    // The C runtime here has no aligned_alloc; its own aligned allocator needs its own free.
    data_ = static_cast<char*>(::_aligned_malloc(size, align));
    if (data_ == nullptr) return false;
    size_ = size;
    return true;
}

void PageBuffer::Clear() {
    ::_aligned_free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace korrin::platform
