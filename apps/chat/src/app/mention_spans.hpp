#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <vesk_ui/color.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>

// Message text split into rich-text runs so that mentions stand out.
namespace chat::app {

// One mention as the message records it: the person and the byte range of "@name".
struct MentionRef {
  std::string_view user;
  std::uint64_t start = 0;
  std::uint64_t len = 0;
};

// Who the reader is and which colours presence gave people.
struct MentionPeople {
  // True for the local user's current and earlier ids.
  std::function<bool(std::string_view user)> is_local_user;
  // The colour presence reported for a user, when it did.
  std::function<std::optional<vesk_ui::Color>(std::string_view user)> presence_color;
};

// Presence's colour for the user, else the toolkit's stable colour of the id.
vesk_ui::Color person_color(const MentionPeople& people, std::string_view user);

// Mentions sorted by start become runs of their own; a mention overlapping the one before,
// running past the text or cutting a character is left in the plain text around it. Plain runs
// carry no colour so the renderer's default applies.
std::vector<vesk_ui::RichSpan> mention_spans(std::string_view text,
                                             std::vector<MentionRef> mentions,
                                             const vesk_ui::Theme& theme, vesk_ui::Color message_bg,
                                             const MentionPeople& people);

// Any list of mention records with user, start and len.
template <typename Mentions>
std::vector<vesk_ui::RichSpan> mention_spans(std::string_view text, const Mentions& mentions,
                                             const vesk_ui::Theme& theme, vesk_ui::Color message_bg,
                                             const MentionPeople& people) {
  std::vector<MentionRef> refs;
  refs.reserve(std::size(mentions));
  for (const auto& m : mentions) {
    refs.push_back({std::string_view(m.user), static_cast<std::uint64_t>(m.start),
                    static_cast<std::uint64_t>(m.len)});
  }
  return mention_spans(text, std::move(refs), theme, message_bg, people);
}

// The rich-text layout of message spans at 15 px wrapped to `width`.
std::shared_ptr<const vesk_ui::RichTextLayout> shape_message_text(
    vesk_ui::TextRenderer& renderer, const std::vector<vesk_ui::RichSpan>& spans, double width);

}  // namespace chat::app
