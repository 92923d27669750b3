#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace chat::app::test {

// Gives each test a private temporary HOME and an environment without the variables the identity
// and data-directory lookups read, and puts the old environment back afterwards, so no test sees
// or touches the real home directory.
class IdentityEnv {
 public:
  IdentityEnv() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "chat-identity-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    set("HOME", (root_ / "home").c_str());
  }
  ~IdentityEnv() {
    for (const auto& [name, value] : saved_) {
      value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  IdentityEnv(const IdentityEnv&) = delete;
  IdentityEnv& operator=(const IdentityEnv&) = delete;

  void set(const char* name, const std::optional<std::string>& value) {
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  // A scratch directory of this test.
  const std::filesystem::path& root() const { return root_; }

 private:
  static constexpr const char* kNames[] = {"HOME", "XDG_DATA_HOME", "VESK_CHAT_DATA",
                                           "USER", "USERNAME",      "HOSTNAME"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
  std::filesystem::path root_;
};

}  // namespace chat::app::test
