#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vdoc::blobstore {

// 64 lower-case hexadecimal digits.
std::string sha256_hex(std::span<const std::uint8_t> bytes);

}  // namespace vdoc::blobstore
