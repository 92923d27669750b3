#pragma once
// What lies under a point of the window: every button, row, chip and popup entry the user can
// point at is one HitTarget. Drawing records a HitRegion per element in painting order; input
// resolves a point from the last region backwards, so what was painted on top wins.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include <vesk_ui/geometry.hpp>

namespace chat::app {

using vesk_ui::Point;

namespace hit {
inline bool operator==(Point a, Point b) {
  return a.x == b.x && a.y == b.y;
}

struct Inbox {
  bool operator==(const Inbox&) const = default;
};
struct CurrentContext {
  bool operator==(const CurrentContext&) const = default;
};
struct Channel {
  std::string id;
  bool operator==(const Channel&) const = default;
};
struct VoiceChannel {
  std::string id;
  bool operator==(const VoiceChannel&) const = default;
};
struct CategoryToggle {
  std::string id;
  bool operator==(const CategoryToggle&) const = default;
};
struct AddChannel {
  std::string workspace;
  std::string category;
  bool operator==(const AddChannel&) const = default;
};
struct AddCategory {
  std::string id;
  bool operator==(const AddCategory&) const = default;
};
struct FocusRename {
  bool operator==(const FocusRename&) const = default;
};
struct Reaction {
  std::string msg;
  std::string emoji;
  bool operator==(const Reaction&) const = default;
};
struct AddReaction {
  std::string msg;
  Point anchor;
  bool operator==(const AddReaction&) const = default;
};
struct OpenThread {
  std::string id;
  bool operator==(const OpenThread&) const = default;
};
struct EditHistory {
  std::string msg;
  Point anchor;
  bool operator==(const EditHistory&) const = default;
};
struct MessageMenu {
  std::string msg;
  bool operator==(const MessageMenu&) const = default;
};
struct EditSave {
  bool operator==(const EditSave&) const = default;
};
struct EditCancel {
  bool operator==(const EditCancel&) const = default;
};
struct FocusEdit {
  bool operator==(const FocusEdit&) const = default;
};
struct EmojiChoice {
  std::string emoji;
  bool operator==(const EmojiChoice&) const = default;
};
struct FocusMain {
  bool operator==(const FocusMain&) const = default;
};
struct FocusThread {
  bool operator==(const FocusThread&) const = default;
};
struct Send {
  bool operator==(const Send&) const = default;
};
struct JumpToLatest {
  bool operator==(const JumpToLatest&) const = default;
};
struct ComposerEmoji {
  Point anchor;
  bool operator==(const ComposerEmoji&) const = default;
};
struct Attach {
  bool operator==(const Attach&) const = default;
};
struct AttachPick {
  std::string name;
  bool operator==(const AttachPick&) const = default;
};
struct StartCall {
  bool operator==(const StartCall&) const = default;
};
struct CloseThread {
  bool operator==(const CloseThread&) const = default;
};
struct CallDragHandle {
  bool operator==(const CallDragHandle&) const = default;
};
struct CallParticipantsToggle {
  bool operator==(const CallParticipantsToggle&) const = default;
};
struct CallMute {
  bool operator==(const CallMute&) const = default;
};
struct CallDeafen {
  bool operator==(const CallDeafen&) const = default;
};
struct CallAudioOnly {
  bool operator==(const CallAudioOnly&) const = default;
};
struct CallShareScreen {
  bool operator==(const CallShareScreen&) const = default;
};
struct CallExpand {
  bool operator==(const CallExpand&) const = default;
};
struct CallLeave {
  bool operator==(const CallLeave&) const = default;
};
struct ToggleLeftFlap {
  bool operator==(const ToggleLeftFlap&) const = default;
};
struct ToggleRightFlap {
  bool operator==(const ToggleRightFlap&) const = default;
};
struct Dismiss {
  bool operator==(const Dismiss&) const = default;
};
}  // namespace hit

// The order is fixed: the index is the target's kind number.
using HitTarget =
    std::variant<hit::Inbox, hit::CurrentContext, hit::Channel, hit::VoiceChannel,
                 hit::CategoryToggle, hit::AddChannel, hit::AddCategory, hit::FocusRename,
                 hit::Reaction, hit::AddReaction, hit::OpenThread, hit::EditHistory,
                 hit::MessageMenu, hit::EditSave, hit::EditCancel, hit::FocusEdit, hit::EmojiChoice,
                 hit::FocusMain, hit::FocusThread, hit::Send, hit::JumpToLatest, hit::ComposerEmoji,
                 hit::Attach, hit::AttachPick, hit::StartCall, hit::CloseThread,
                 hit::CallDragHandle, hit::CallParticipantsToggle, hit::CallMute, hit::CallDeafen,
                 hit::CallAudioOnly, hit::CallShareScreen, hit::CallExpand, hit::CallLeave,
                 hit::ToggleLeftFlap, hit::ToggleRightFlap, hit::Dismiss>;

static_assert(std::variant_size_v<HitTarget> == 37);

// The variant's name ("Inbox", "MessageMenu", ...).
std::string hit_target_name(const HitTarget& target);
// The target written out with its payload: `Name` for a target without one, `Name("id")` for one
// id, `Name { field: "value", ... }` for named fields.
std::string hit_target_debug(const HitTarget& target);
// The stable element id under "chat."; payload ids are inserted as they are.
std::string hit_target_id(const HitTarget& target);

struct HitRegion {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;
  HitTarget target;

  // Half-open; empty and NaN-bounded rectangles contain nothing, and no NaN point is inside.
  bool contains(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

void push_hit_region(std::vector<HitRegion>& regions, const vesk_ui::Rect& rect, HitTarget target);

// The target of the last region containing the point; Dismiss regions count.
std::optional<HitTarget> hit_target_at(std::span<const HitRegion> regions, double x, double y);

// A backward walk over a hit list for callers that want the actionable element under a point:
// each step rests on the next earlier region containing it that is not a Dismiss.
class HitCursor {
 public:
  explicit HitCursor(std::span<const HitRegion> regions)
      : regions_(regions), next_(regions.size()) {}
  // The region the cursor rests on; valid after hit_test_regions answered true.
  const HitRegion& region() const { return regions_[next_]; }

 private:
  friend bool hit_test_regions(HitCursor& cursor, Point point);
  std::span<const HitRegion> regions_;
  std::size_t next_;  // regions before this index are still to be looked at
};

bool hit_test_regions(HitCursor& cursor, Point point);

}  // namespace chat::app
