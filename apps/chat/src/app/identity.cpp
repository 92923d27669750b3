#include "app/identity.hpp"

#include <fcntl.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>
#include <unistd.h>
#include <uuid/uuid.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "app/data_dir.hpp"
#include "vesk_ui/avatar.hpp"

namespace chat::app {
namespace {

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

std::uint64_t fnv1a64(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = kFnvOffsetBasis;
  for (std::uint8_t b : bytes) {
    hash ^= b;
    hash *= kFnvPrime;
  }
  return hash;
}

std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string lower_hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xf]);
  }
  return out;
}

std::string hex64(std::uint64_t value) {
  std::array<std::uint8_t, 8> big_endian{};
  for (int i = 7; i >= 0; --i) {
    big_endian[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xff);
    value >>= 8;
  }
  return lower_hex(big_endian);
}

bool valid_utf8(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

// Unset and not-UTF-8 variables are both absent: a name we cannot show is no name.
std::optional<std::string> env_text(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || !valid_utf8(value)) return std::nullopt;
  return std::string(value);
}

// Strips Unicode white space from both ends; the input must be valid UTF-8.
std::string trim(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t begin = 0;
  while (begin < length) {
    std::int32_t next = begin;
    UChar32 c;
    U8_NEXT(s, next, length, c);
    if (!u_isUWhiteSpace(c)) break;
    begin = next;
  }
  std::int32_t end = length;
  while (end > begin) {
    std::int32_t previous = end;
    UChar32 c;
    U8_PREV(s, 0, previous, c);
    if (!u_isUWhiteSpace(c)) break;
    end = previous;
  }
  return std::string(
      text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

// The first code point in its full upper-case mapping (which may be several characters), the rest
// unchanged.
std::string upper_first(std::string_view piece) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(piece.data());
  const auto length = static_cast<std::int32_t>(piece.size());
  std::int32_t after_first = 0;
  UChar32 first;
  U8_NEXT(s, after_first, length, first);

  std::array<UChar, 2> source{};
  std::int32_t source_length = 0;
  U16_APPEND_UNSAFE(source.data(), source_length, first);
  std::array<UChar, 16> upper{};
  UErrorCode status = U_ZERO_ERROR;
  // The root locale: the language-neutral mapping, whatever the user's locale.
  const std::int32_t upper_length =
      u_strToUpper(upper.data(), static_cast<std::int32_t>(upper.size()), source.data(),
                   source_length, "", &status);
  if (U_FAILURE(status)) return std::string(piece);

  std::array<char, 64> utf8{};
  std::int32_t utf8_length = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8(utf8.data(), static_cast<std::int32_t>(utf8.size()), &utf8_length, upper.data(),
              upper_length, &status);
  if (U_FAILURE(status)) return std::string(piece);
  return std::string(utf8.data(), static_cast<std::size_t>(utf8_length)) +
         std::string(piece.substr(static_cast<std::size_t>(after_first)));
}

std::string display_name_from(std::string_view raw) {
  const std::string trimmed = trim(raw);
  std::string joined;
  std::size_t start = 0;
  while (start <= trimmed.size()) {
    std::size_t stop = trimmed.find_first_of("._- ", start);
    if (stop == std::string::npos) stop = trimmed.size();
    if (stop > start) {
      if (!joined.empty()) joined.push_back(' ');
      joined += upper_first(std::string_view(trimmed).substr(start, stop - start));
    }
    start = stop + 1;
  }
  return joined.empty() ? std::string("You") : joined;
}

std::string new_uuid_hex() {
  uuid_t uuid;
  uuid_generate_random(uuid);
  return lower_hex(std::span<const std::uint8_t>(uuid, sizeof uuid));
}

std::optional<std::string> read_text_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || !valid_utf8(content)) return std::nullopt;
  return content;
}

// Owns a file descriptor.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  // Closes now so that the caller sees the error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool write_all(int fd, std::string_view content) {
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Temporary file, fsync, rename: a crash leaves either the old file or the whole id, never a torn
// one that would give the user another identity on the next start.
bool write_file_atomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path temp = path;
  temp += ".tmp-" + std::to_string(::getpid());
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) return false;
  const bool ok = write_all(fd.get(), content) && ::fsync(fd.get()) == 0 && fd.close() &&
                  std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::optional<std::string> stored_peer_id(const std::filesystem::path& dir) {
  const std::filesystem::path file = dir / "peer-id";
  if (auto content = read_text_file(file)) {
    std::string id = trim(*content);
    if (!id.empty()) return id;
  }
  std::string id = "u_" + new_uuid_hex();
  std::error_code error;
  if (!dir.empty()) std::filesystem::create_directories(dir, error);
  if (error || !write_file_atomically(file, id)) return std::nullopt;
  return id;
}

std::string derived_id(const IdentitySources& sources) {
  std::string user = env_text("USER").value_or(env_text("USERNAME").value_or(""));
  std::string host;
  if (auto from_env = env_text("HOSTNAME"); from_env && !from_env->empty()) {
    host = *from_env;
  } else if (auto from_file = read_text_file(sources.hostname_file)) {
    host = trim(*from_file);
  }
  const std::string seed = user + "@" + host;
  if (seed == "@") return "u_" + new_uuid_hex();
  return "u_" + hex64(fnv1a64(bytes_of(seed)));
}

LocalPerson person_with_id(std::string id) {
  LocalPerson person;
  person.name = local_display_name();
  person.initials = initials_of(person.name);
  person.color_idx = color_index(id);
  person.id = std::move(id);
  return person;
}

}  // namespace

std::string local_display_name() {
  std::optional<std::string> raw = env_text("USER");
  if (!raw) raw = env_text("USERNAME");
  if (!raw) return "You";
  return display_name_from(*raw);
}

std::string initials_of(std::string_view name) {
  std::string initials = vesk_ui::Avatar::initials_for_name(name);
  return initials.empty() ? std::string("Y") : initials;
}

std::uint64_t color_index(std::span<const std::uint8_t> bytes) {
  return fnv1a64(bytes) % 8;
}

std::uint64_t color_index(std::string_view bytes) {
  return color_index(bytes_of(bytes));
}

LocalPerson load_local_identity() {
  return load_local_identity(IdentitySources{});
}

LocalPerson load_local_identity(const IdentitySources& sources) {
  const runtime_identity::LoadResult platform = sources.platform();
  if (const auto* found = std::get_if<std::optional<runtime_identity::Identity>>(&platform);
      found != nullptr && found->has_value()) {
    const runtime_identity::Identity& identity = **found;
    LocalPerson person;
    person.id = "u_" + lower_hex(std::span<const std::uint8_t>(identity.key).first(8));
    person.name = trim(valid_utf8(identity.name) ? identity.name : std::string());
    if (person.name.empty()) person.name = local_display_name();
    person.initials = initials_of(person.name);
    person.color_idx = color_index(identity.key);
    return person;
  }
  if (auto dir = chat_data_dir()) {
    if (auto id = stored_peer_id(*dir)) return person_with_id(std::move(*id));
  }
  return person_with_id(derived_id(sources));
}

}  // namespace chat::app
