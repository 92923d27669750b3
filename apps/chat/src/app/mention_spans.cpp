#include "app/mention_spans.hpp"

#include <algorithm>
#include <string>

#include <vesk_ui/presence.hpp>

#include "app/color_math.hpp"

namespace chat::app {

namespace {

bool is_char_boundary(std::string_view text, std::uint64_t index) {
  if (index == 0 || index == text.size()) return true;
  return (static_cast<unsigned char>(text[index]) & 0xC0) != 0x80;
}

vesk_ui::RichSpan plain(std::string_view text) {
  return {std::string(text), {}, {}, {}};
}

}  // namespace

vesk_ui::Color person_color(const MentionPeople& people, std::string_view user) {
  if (people.presence_color) {
    if (std::optional<vesk_ui::Color> c = people.presence_color(user)) return *c;
  }
  return vesk_ui::presence::user_color(user);
}

std::vector<vesk_ui::RichSpan> mention_spans(std::string_view text,
                                             std::vector<MentionRef> mentions,
                                             const vesk_ui::Theme& theme, vesk_ui::Color message_bg,
                                             const MentionPeople& people) {
  std::stable_sort(mentions.begin(), mentions.end(),
                   [](const MentionRef& a, const MentionRef& b) { return a.start < b.start; });
  std::vector<vesk_ui::RichSpan> spans;
  std::uint64_t cursor = 0;  // end of the last accepted mention
  for (const MentionRef& m : mentions) {
    if (m.start < cursor || m.start > text.size() || m.len > text.size() - m.start) continue;
    std::uint64_t end = m.start + m.len;
    if (m.len == 0 || !is_char_boundary(text, m.start) || !is_char_boundary(text, end)) continue;
    if (m.start > cursor) spans.push_back(plain(text.substr(cursor, m.start - cursor)));

    vesk_ui::RichSpan run = plain(text.substr(m.start, m.len));
    vesk_ui::Color colour = person_color(people, m.user);
    if (people.is_local_user && people.is_local_user(m.user)) {
      vesk_ui::Color bg =
          raise_contrast(mix_color(message_bg, colour, 0.78), colour, message_bg, 3.0);
      run.background = bg;
      run.color = ensure_contrast(theme.text_primary, bg, theme.text_primary, 4.5);
    } else {
      run.color = ensure_contrast(colour, message_bg, theme.text_primary, 4.5);
    }
    spans.push_back(std::move(run));
    cursor = end;
  }
  if (cursor < text.size()) spans.push_back(plain(text.substr(cursor)));
  return spans;
}

std::shared_ptr<const vesk_ui::RichTextLayout> shape_message_text(
    vesk_ui::TextRenderer& renderer, const std::vector<vesk_ui::RichSpan>& spans, double width) {
  return renderer.shape_rich(spans, 15.0, width);
}

}  // namespace chat::app
