#pragma once
// Who is here, as the toolkit's presence service reports it. Without such a service (a single
// window, screenshots) it is empty.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vesk_ui/color.hpp"
#include "vesk_ui/presence.hpp"

namespace vesk_ui {

struct PresentUser {
  std::string user_id;
  std::string display_name;
  std::optional<Color> color;
};

struct PresenceCtx {
  // The local user's identity and name as the presence service knows them.
  std::optional<std::string> self_id;
  std::optional<std::string> self_display_name;
  std::vector<PresentUser> present_users;

  // The colour the service gives the user, else the stable fallback colour of the id.
  Color color_for(std::string_view user_id) const {
    for (const PresentUser& user : present_users)
      if (user.user_id == user_id && user.color) return *user.color;
    return presence::user_color(user_id);
  }
};

}  // namespace vesk_ui
