#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vesk_ui::text_edit {

// The text an editor holds, its caret and its selection anchor. Offsets are bytes and always
// lie on caret stops (grapheme cluster boundaries). The selection runs between the anchor and
// the caret; it is empty when there is no anchor or the two meet.
class EditBuffer {
 public:
  const std::string& text() const { return text_; }
  std::size_t cursor() const { return cursor_; }
  std::optional<std::size_t> anchor() const { return anchor_; }
  // The selected range, ordered; none when nothing is selected.
  std::optional<std::pair<std::size_t, std::size_t>> selection() const;
  std::string selected_text() const;

  // Replaces the whole text (valid UTF-8); the caret goes to `cursor`, snapped back to a caret
  // stop, and the anchor is dropped.
  void reset(std::string text, std::size_t cursor);

  // Moves the caret. With `extend` the selection grows from the anchor, which is placed at the
  // old caret when there is none; without, the anchor is dropped.
  void move_to(std::size_t offset, bool extend);
  void select(std::size_t anchor, std::size_t cursor);
  void select_all() { select(0, text_.size()); }
  void drop_anchor() { anchor_.reset(); }

  // Edits; each answers whether the text changed. Inserted text must be valid UTF-8.
  // Replaces the selection (or inserts at the caret) and puts the caret after the new text.
  bool insert(std::string_view text);
  bool erase_selection();
  // Erases [from, to) (in either order) and leaves the caret at its start.
  bool erase(std::size_t from, std::size_t to);

 private:
  std::size_t snap(std::size_t offset) const;

  std::string text_;
  std::size_t cursor_ = 0;
  std::optional<std::size_t> anchor_;
};

}  // namespace vesk_ui::text_edit
