#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

// The platform's identity of the local user: a display name and a 32-byte public key.
namespace runtime_identity {

struct Identity {
  std::string name;
  std::array<std::uint8_t, 32> key{};
};

struct Error {
  std::string message;
};

// Either the identity (none where the platform keeps no identity) or why it could not be read.
using LoadResult = std::variant<std::optional<Identity>, Error>;

namespace unix {

// A plain Unix desktop has no identity service, so this answers none; callers fall back to
// their own way of naming the user.
LoadResult load();

}  // namespace unix
}  // namespace runtime_identity
