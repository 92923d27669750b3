#include "vesk_ui/text_input.hpp"

#include <algorithm>
#include <cctype>
#include <variant>

#include "vesk_ui/text_edit_breaks.hpp"
#include "vesk_ui/text_edit_sanitize.hpp"

namespace vesk_ui {

namespace {

constexpr std::uint8_t kReplaceText = 7;
constexpr std::uint8_t kClearText = 8;

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Text events carry typed characters only: line breaks come from Shift+Enter and tabs move the
// focus, so a line feed or tab inside one is dropped rather than typed a second time.
std::string typed_text(std::string_view text) {
  std::string clean = text_edit::sanitize(text, false);
  std::erase_if(clean, [](char c) { return c == '\n' || c == '\t'; });
  return clean;
}

}  // namespace

TextInput TextInput::local() {
  return TextInput();
}

void TextInput::set_text_size(double px) {
  if (px == text_size_) return;
  text_size_ = px;
  layout_.reset();  // shaped at the old size
}

void TextInput::set_multiline(bool on) {
  multiline_ = on;
  if (!on && text().find_first_of("\n\t") != std::string::npos) {
    std::size_t caret = cursor();
    buffer_.reset(text_edit::sanitize(text(), true), caret);
  }
  layout_.reset();
}

void TextInput::set_text(std::string_view text) {
  dirty_ = false;
  std::string clean = text_edit::sanitize(text, !multiline_);
  if (clean == buffer_.text()) return;
  std::size_t end = clean.size();
  buffer_.reset(std::move(clean), end);
  end_composition();
  preferred_x_.reset();
  caret_moved_ = true;
}

void TextInput::set_text_with_cursor(std::string_view text, std::size_t cursor) {
  dirty_ = false;
  std::string clean = text_edit::sanitize(text, !multiline_);
  cursor = std::min(cursor, clean.size());
  buffer_.reset(std::move(clean), cursor);
  end_composition();
  preferred_x_.reset();
  caret_moved_ = true;
}

void TextInput::insert_text(std::string_view text) {
  edit(buffer_.insert(text_edit::sanitize(text, !multiline_)));
}

std::pair<std::size_t, std::size_t> TextInput::selection_range() const {
  return buffer_.selection().value_or(std::pair{cursor(), cursor()});
}

std::optional<std::string> TextInput::take_dirty() {
  if (!std::exchange(dirty_, false)) return std::nullopt;
  return text();
}

void TextInput::set_focused(bool focused) {
  if (focused && !focused_) caret_moved_ = true;
  if (!focused) {
    buffer_.drop_anchor();
    end_composition();
    dragging_ = false;
    drag_word_.reset();
  }
  focused_ = focused;
}

void TextInput::describe(AccessNode& node) const {
  node.value = text();
  node.selection = selection_range();
}

bool TextInput::perform_action(const SemanticAction& action) {
  if (action.kind == kReplaceText) {
    if (!action.text) return false;
    std::string clean = text_edit::sanitize(*action.text, !multiline_);
    end_composition();
    if (clean != text()) {
      std::size_t end = clean.size();
      buffer_.reset(std::move(clean), end);
      edit(true);
    }
    return true;
  }
  if (action.kind == kClearText) {
    end_composition();
    if (!text().empty()) {
      buffer_.reset({}, 0);
      edit(true);
    }
    return true;
  }
  return false;
}

bool TextInput::handle_event(const InputEvent& event, Modifiers modifiers, double scale_factor,
                             ToolkitCtx& ctx) {
  return std::visit(
      Overloaded{
          [&](const KeyEvent& key) { return handle_key(key, modifiers, ctx); },
          [&](const TextEvent& text) { return handle_text(text.text); },
          [&](const CompositionEvent& composition) { return handle_composition(composition); },
          [&](const PointerMoved& moved) { return handle_pointer_move(moved, scale_factor); },
          [&](const PointerButton& button) { return handle_pointer_button(button, modifiers); },
          [&](const PointerLeft&) { return false; },
          [&](const WheelEvent&) { return false; },
      },
      event);
}

bool TextInput::edit(bool changed) {
  if (changed) dirty_ = true;
  preferred_x_.reset();
  caret_moved_ = true;
  return changed;
}

bool TextInput::move_caret(std::size_t offset, bool extend) {
  auto before = std::pair{cursor(), buffer_.anchor()};
  buffer_.move_to(offset, extend);
  preferred_x_.reset();
  caret_moved_ = true;
  return before != std::pair{cursor(), buffer_.anchor()};
}

bool TextInput::handle_key(const KeyEvent& key, Modifiers mods, ToolkitCtx& ctx) {
  // Only presses act: a release would repeat what its press already did.
  if (key.ignored || key.state != ElementState::Pressed) return false;
  if (const auto* chars = std::get_if<std::string>(&key.key)) {
    // Printable keys type through text events; here only the Control shortcuts matter.
    if (chars->size() != 1 || !mods.control || mods.alt) return false;
    return handle_shortcut(static_cast<char>(std::tolower(static_cast<unsigned char>((*chars)[0]))),
                           ctx);
  }
  const std::string& s = text();
  auto selected = buffer_.selection();
  bool extend = mods.shift;
  switch (std::get<NamedKey>(key.key)) {
    case NamedKey::Enter:
      if (!mods.shift) {
        submit_ = true;
        return true;
      }
      if (!multiline_) return false;
      return edit(buffer_.insert("\n"));
    case NamedKey::ArrowLeft:
      if (selected && !extend) return move_caret(selected->first, false);
      return move_caret(mods.control ? text_edit::prev_word_start(s, cursor())
                                     : text_edit::prev_grapheme(s, cursor()),
                        extend);
    case NamedKey::ArrowRight:
      if (selected && !extend) return move_caret(selected->second, false);
      return move_caret(mods.control ? text_edit::next_word_end(s, cursor())
                                     : text_edit::next_grapheme(s, cursor()),
                        extend);
    case NamedKey::ArrowUp:
      return move_vertically(-1, extend);
    case NamedKey::ArrowDown:
      return move_vertically(1, extend);
    case NamedKey::Home:
      return move_caret(mods.control ? 0 : line_start(cursor()), extend);
    case NamedKey::End:
      return move_caret(mods.control ? s.size() : line_end(cursor()), extend);
    case NamedKey::Backspace:
      if (selected) return edit(buffer_.erase_selection());
      return edit(buffer_.erase(mods.control ? text_edit::prev_word_start(s, cursor())
                                             : text_edit::prev_grapheme(s, cursor()),
                                cursor()));
    case NamedKey::Delete:
      if (mods.shift && !mods.control) {
        bool copied = copy(ctx);
        return copied && edit(buffer_.erase_selection());
      }
      if (selected) return edit(buffer_.erase_selection());
      return edit(buffer_.erase(cursor(), mods.control ? text_edit::next_word_end(s, cursor())
                                                       : text_edit::next_grapheme(s, cursor())));
    case NamedKey::Insert:
      if (mods.control && !mods.shift) {
        copy(ctx);
        return false;
      }
      if (mods.shift && !mods.control) return paste(ctx);
      return false;
    default:
      return false;
  }
}

bool TextInput::handle_shortcut(char letter, ToolkitCtx& ctx) {
  switch (letter) {
    case 'a':
      if (text().empty()) return false;
      buffer_.select_all();
      preferred_x_.reset();
      caret_moved_ = true;
      return true;
    case 'c':
      copy(ctx);
      return false;
    case 'x':
      return copy(ctx) && edit(buffer_.erase_selection());
    case 'v':
      return paste(ctx);
    default:
      return false;
  }
}

// Answers whether a selection was copied. Copying changes nothing in the input itself.
bool TextInput::copy(ToolkitCtx& ctx) const {
  if (!buffer_.selection()) return false;
  ctx.clipboard.set_text(buffer_.selected_text());
  return true;
}

bool TextInput::paste(ToolkitCtx& ctx) {
  std::optional<std::string> pasted = ctx.clipboard.get_text();
  if (!pasted) return false;
  std::string clean = text_edit::sanitize(*pasted, !multiline_);
  if (clean.empty()) return false;
  end_composition();
  return edit(buffer_.insert(clean));
}

bool TextInput::handle_text(std::string_view text) {
  std::string typed = typed_text(text);
  // The committed text replaces whatever was being composed.
  bool composing = !composition_.empty();
  end_composition();
  if (typed.empty()) return composing;
  return edit(buffer_.insert(typed));
}

bool TextInput::handle_composition(const CompositionEvent& composition) {
  std::string clean = typed_text(composition.text);
  std::size_t at = text_edit::snap_to_grapheme(clean, std::min(composition.cursor, clean.size()));
  if (clean == composition_ && at == composition_cursor_) return false;
  composition_ = std::move(clean);
  composition_cursor_ = composition_.empty() ? 0 : at;
  caret_moved_ = true;
  return true;
}

bool TextInput::handle_pointer_move(const PointerMoved& moved, double scale_factor) {
  double scale = scale_factor > 0 ? scale_factor : 1.0;
  pointer_ = Point{moved.x / scale, moved.y / scale};
  if (!dragging_) return false;
  std::optional<std::size_t> at = offset_at(*pointer_);
  if (!at) return false;
  if (!drag_word_) return move_caret(*at, true);
  // After a double click the selection grows by whole words, keeping the first word in it.
  auto [start, end] = text_edit::segment_at(text(), *at);
  auto before = buffer_.selection();
  if (*at < drag_word_->first) {
    buffer_.select(drag_word_->second, start);
  } else {
    buffer_.select(drag_word_->first, std::max(end, drag_word_->second));
  }
  caret_moved_ = true;
  return before != buffer_.selection();
}

bool TextInput::handle_pointer_button(const PointerButton& button, Modifiers mods) {
  if (button.button != PointerButtonKind::Primary) return false;
  if (button.state == ElementState::Released) {
    dragging_ = false;
    drag_word_.reset();
    return false;
  }
  if (!pointer_ || !rect_.contains(*pointer_)) return false;
  std::optional<std::size_t> at = offset_at(*pointer_);
  if (!at) return false;
  end_composition();
  if (button.clicks >= 2) {
    auto word = text_edit::segment_at(text(), *at);
    buffer_.select(word.first, word.second);
    drag_word_ = word;
  } else if (mods.shift) {
    buffer_.move_to(*at, true);
    drag_word_.reset();
  } else {
    // The anchor goes down with the caret so that a drag selects from here.
    buffer_.select(*at, *at);
    drag_word_.reset();
  }
  dragging_ = true;
  preferred_x_.reset();
  caret_moved_ = true;
  return true;
}

}  // namespace vesk_ui
