#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "runtime_identity/identity.hpp"

namespace chat::app {

// Who the local user is, as the window shows and writes them.
struct LocalPerson {
  std::string id;
  std::string name;
  std::string initials;
  std::uint64_t color_idx = 0;  // 0 to 7
};

// A display name from USER (else USERNAME, only when USER is unset or not valid UTF-8): split at
// ".", "_", "-" and " ", each piece's first character in upper case (full Unicode mapping), joined
// with single spaces; "You" when nothing is left.
std::string local_display_name();

// The avatar initials of a name; "Y" when the name yields none.
std::string initials_of(std::string_view name);

// The 64-bit FNV-1a hash of the bytes, modulo 8.
std::uint64_t color_index(std::span<const std::uint8_t> bytes);
std::uint64_t color_index(std::string_view bytes);

// What load_local_identity consults besides the environment and the data directory.
struct IdentitySources {
  std::function<runtime_identity::LoadResult()> platform = runtime_identity::unix::load;
  std::filesystem::path hostname_file = "/etc/hostname";
};

// The local person: from the platform identity, else from the "peer-id" file of the data directory
// (made on first use), else derived from the user and host names. Never fails.
LocalPerson load_local_identity();
LocalPerson load_local_identity(const IdentitySources& sources);

}  // namespace chat::app
