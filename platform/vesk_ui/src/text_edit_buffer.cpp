#include "vesk_ui/text_edit_buffer.hpp"

#include <algorithm>

#include "vesk_ui/text_edit_breaks.hpp"

namespace vesk_ui::text_edit {

std::optional<std::pair<std::size_t, std::size_t>> EditBuffer::selection() const {
  if (!anchor_ || *anchor_ == cursor_) return std::nullopt;
  return std::pair{std::min(*anchor_, cursor_), std::max(*anchor_, cursor_)};
}

std::string EditBuffer::selected_text() const {
  auto range = selection();
  if (!range) return {};
  return text_.substr(range->first, range->second - range->first);
}

std::size_t EditBuffer::snap(std::size_t offset) const {
  return snap_to_grapheme(text_, offset);
}

void EditBuffer::reset(std::string text, std::size_t cursor) {
  text_ = std::move(text);
  cursor_ = snap(cursor);
  anchor_.reset();
}

void EditBuffer::move_to(std::size_t offset, bool extend) {
  if (extend && !anchor_) anchor_ = cursor_;
  if (!extend) anchor_.reset();
  cursor_ = snap(offset);
}

void EditBuffer::select(std::size_t anchor, std::size_t cursor) {
  anchor_ = snap(anchor);
  cursor_ = snap(cursor);
}

bool EditBuffer::insert(std::string_view text) {
  bool erased = erase_selection();
  if (text.empty()) return erased;
  text_.insert(cursor_, text);
  // Inserted text can join the text after it into one cluster (a letter typed before a
  // combining mark); the caret then stops after the whole cluster.
  std::size_t end = cursor_ + text.size();
  std::size_t snapped = snap(end);
  cursor_ = snapped == end ? end : next_grapheme(text_, snapped);
  return true;
}

bool EditBuffer::erase_selection() {
  auto range = selection();
  anchor_.reset();
  if (!range) return false;
  return erase(range->first, range->second);
}

bool EditBuffer::erase(std::size_t from, std::size_t to) {
  anchor_.reset();
  from = snap(from);
  to = snap(to);
  if (from > to) std::swap(from, to);
  cursor_ = from;
  if (from == to) return false;
  text_.erase(from, to - from);
  cursor_ = snap(from);
  return true;
}

}  // namespace vesk_ui::text_edit
