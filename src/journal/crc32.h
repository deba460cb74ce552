#pragma once

#include <cstdint>
#include <string_view>

namespace korrin::journal {

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320): "123456789" gives
// 0xCBF43926. crc carries an earlier part's result into the next part.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace korrin::journal
