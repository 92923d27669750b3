#include "xdg_paths/xdg_paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or unsets one variable for the life of the object and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct Case {
  const char* label;
  std::optional<std::string> home_var;
  std::optional<std::string> data_home_var;
  std::optional<std::string> home;
  std::optional<std::string> data_dir;
};

TEST(XdgPaths, FollowsTheBaseDirectoryRules) {
  const Case cases[] = {
      {"data home wins", "/h/ann", "/x/data", "/h/ann", "/x/data"},
      {"no data home", "/h/ann", std::nullopt, "/h/ann", "/h/ann/.local/share"},
      {"empty data home", "/h/ann", "", "/h/ann", "/h/ann/.local/share"},
      {"relative data home", "/h/ann", "rel/data", "/h/ann", "/h/ann/.local/share"},
      {"data home without home", std::nullopt, "/x/data", std::nullopt, "/x/data"},
      {"nothing", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"empty home", "", std::nullopt, std::nullopt, std::nullopt},
      {"relative home", "h/ann", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ScopedEnv home("HOME", c.home_var);
    ScopedEnv data_home("XDG_DATA_HOME", c.data_home_var);
    auto as_text = [](const std::optional<std::filesystem::path>& p) {
      return p ? std::optional<std::string>(p->string()) : std::nullopt;
    };
    EXPECT_EQ(as_text(xdg_paths::home()), c.home);
    EXPECT_EQ(as_text(xdg_paths::data_dir()), c.data_dir);
  }
}

}  // namespace
