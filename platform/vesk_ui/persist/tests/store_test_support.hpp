#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "crdt/document.hpp"

namespace vesk_ui::persist::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "persist-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string key_of(int i) {
  std::string key = "k";  // appended apart: g++ 12 at -O3 warns falsely on "k" + to_string(i)
  key += std::to_string(i);
  return key;
}

// The change numbered i: one root key holding i.
inline void write_change(crdt::Document& doc, int i) {
  doc.put(crdt::ROOT, key_of(i), std::int64_t{i});
}

inline std::optional<std::int64_t> read_change(const crdt::Document& doc, int i) {
  auto found = doc.get(crdt::ROOT, key_of(i));
  if (!found || !found->first.scalar()) return std::nullopt;
  if (auto* value = std::get_if<std::int64_t>(&found->first.scalar()->content)) return *value;
  return std::nullopt;
}

inline std::vector<std::uint8_t> file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Files of the directory whose names start with `prefix`.
inline std::vector<std::filesystem::path> files_starting(const std::filesystem::path& dir,
                                                         const std::string& prefix) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
  }
  return found;
}

}  // namespace vesk_ui::persist::test
