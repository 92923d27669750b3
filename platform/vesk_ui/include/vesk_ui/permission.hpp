#pragma once
// What the local user may do, as the toolkit answers it for each request.

#include <cstdint>

namespace vesk_ui {

// Access levels of a request: 0 view, 1 comment, 2 write.
struct PermissionRequest {
  std::uint8_t kind = 0;  // 0: the workspace
  std::uint8_t access_level = 0;
};

// A yes/no answer per request. Widgets keep a copy; the toolkit hands them a fresh one each frame.
class PermissionContext {
 public:
  // Everything is allowed.
  static PermissionContext permissive() { return PermissionContext(255); }
  // Requests up to `level` are allowed (0: view only).
  static PermissionContext up_to(std::uint8_t level) { return PermissionContext(level); }

  bool check(const PermissionRequest& request) const { return request.access_level <= max_level_; }

 private:
  explicit PermissionContext(std::uint8_t max_level) : max_level_(max_level) {}
  std::uint8_t max_level_;
};

}  // namespace vesk_ui
