#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "vesk_ui/access.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/input.hpp"
#include "vesk_ui/painter.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_edit_buffer.hpp"
#include "vesk_ui/text_layout.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui {

// A text field: the editor people type messages and names into.
//
// Text is UTF-8; the caret and the selection are byte offsets that always lie between
// user-perceived characters. Characters are inserted from text events only (key events for
// printable keys are ignored), so nothing is typed twice; keys edit and move. Enter raises a
// one-shot submit flag; Shift+Enter inserts a line feed in a multi-line input. Focus is given
// and taken by the owner; losing it drops the selection anchor and any composition.
//
// Keys: Left/Right by character (Ctrl: by word), Up/Down by line, Home/End (Ctrl: text start
// and end), Shift extends the selection, Backspace/Delete by character (Ctrl: by word), Ctrl+A,
// Ctrl+C / Ctrl+Insert copy, Ctrl+X / Shift+Delete cut, Ctrl+V / Shift+Insert paste. Pointer:
// a press places the caret (Shift: extends), dragging selects, a double click selects a word
// and dragging on from it selects whole words.
class TextInput {
 public:
  using Clock = std::chrono::steady_clock;

  // An input that keeps its text itself: one line, 15 px text, no placeholder, steady caret.
  static TextInput local();

  // Display options.
  void set_text_size(double px);
  double text_size() const { return text_size_; }
  // Several lines: Shift+Enter inserts a line feed, pasted line feeds stay, lines wrap at the
  // box width and the box scrolls vertically. Off: one line that scrolls sideways, line feeds
  // become spaces.
  void set_multiline(bool on);
  bool multiline() const { return multiline_; }
  // The placeholder is shown, in the muted colour, while the text is empty.
  void set_show_placeholder(bool on) { show_placeholder_ = on; }
  bool show_placeholder() const { return show_placeholder_; }
  // The caret blinks while focused (see needs_animation_frame and next_frame_at); off: a
  // steady caret.
  void set_blink_caret(bool on) { blink_caret_ = on; }
  bool blink_caret() const { return blink_caret_; }

  void set_placeholder(std::string text) { placeholder_ = std::move(text); }
  const std::string& placeholder() const { return placeholder_; }
  // The person who types into this input.
  void set_local_author(std::string person_id) { local_author_ = std::move(person_id); }
  const std::string& local_author() const { return local_author_; }

  const std::string& text() const { return buffer_.text(); }
  std::size_t cursor() const { return buffer_.cursor(); }
  // Replaces the text (a stored draft, a name to edit). The same text leaves caret and
  // selection where they are; a different one puts the caret at its end. Not a change to
  // report: take_dirty stays quiet.
  void set_text(std::string_view text);
  // Replaces the text with the caret at `cursor` (moved back to a character boundary).
  void set_text_with_cursor(std::string_view text, std::size_t cursor);
  // Inserts at the caret, replacing the selection, as if typed: a change to report.
  void insert_text(std::string_view text);

  // The selected byte range, ordered; none when nothing is selected.
  std::optional<std::pair<std::size_t, std::size_t>> selection() const {
    return buffer_.selection();
  }
  // The selection, or an empty range at the caret when there is none.
  std::pair<std::size_t, std::size_t> selection_range() const;
  std::optional<std::size_t> selection_anchor() const { return buffer_.anchor(); }
  // Input-method text being composed at the caret (not yet part of the text).
  const std::string& composition() const { return composition_; }

  // The one-shot submit flag, raised by Enter.
  bool submit_requested() const { return submit_; }
  void clear_submit() { submit_ = false; }
  bool take_submit() { return std::exchange(submit_, false); }
  // The text, once after each change the user made to it; none when nothing changed since.
  std::optional<std::string> take_dirty();

  // Keyboard focus, given and taken by the owner. Taking it also resets the transient editing
  // state: the selection anchor, the composition and a pointer drag.
  void set_focused(bool focused);
  bool focused() const { return focused_; }

  // The box, in window coordinates (logical pixels).
  void apply_layout_external(const Rect& rect) { rect_ = rect; }
  const Rect& rect() const { return rect_; }

  // Answers whether the input acted on the event (its text, caret, selection, composition or
  // submit flag changed). Pointer positions are physical pixels, divided by `scale_factor`;
  // copy, cut and paste go through the context's clipboard.
  bool handle_event(const InputEvent& event, Modifiers modifiers, double scale_factor,
                    ToolkitCtx& ctx);
  // Text edits asked for by assistive technology: kind 7 replaces the text with the action's
  // text, kind 8 clears it. Answers whether the action was one of these and was performed.
  bool perform_action(const SemanticAction& action);

  // Paints the text, selection, composition and caret inside the box, in logical pixels under
  // the context's transform; the caret's blink follows the context's clock.
  void draw(Scene& scene, TextRenderer& text, const Theme& theme, DrawCtx& ctx);
  // Focused with a blinking caret: frames are wanted.
  bool needs_animation_frame() const { return focused_ && blink_caret_; }
  // When the blinking caret next appears or disappears (as of the last draw); none when it
  // does not blink.
  std::optional<Clock::time_point> next_frame_at() const { return next_blink_; }
  // Where the caret was last drawn (window coordinates), for placing an input method's window.
  std::optional<Rect> caret_rect() const { return caret_rect_; }

  // Fills in the node's value (the text) and selection (see selection_range).
  void describe(AccessNode& node) const;

 private:
  TextInput() = default;

  bool handle_key(const KeyEvent& key, Modifiers modifiers, ToolkitCtx& ctx);
  bool handle_shortcut(char letter, ToolkitCtx& ctx);
  bool handle_text(std::string_view text);
  bool handle_composition(const CompositionEvent& composition);
  bool handle_pointer_move(const PointerMoved& moved, double scale_factor);
  bool handle_pointer_button(const PointerButton& button, Modifiers modifiers);

  bool move_caret(std::size_t offset, bool extend);
  bool move_vertically(int direction, bool extend);
  std::size_t line_start(std::size_t offset);
  std::size_t line_end(std::size_t offset);
  bool edit(bool changed);
  bool copy(ToolkitCtx& ctx) const;
  bool paste(ToolkitCtx& ctx);
  void end_composition() { composition_.clear(), composition_cursor_ = 0; }

  // Shaping and placement of what is displayed: the text with the composition at the caret.
  std::string display_text() const;
  std::size_t to_display(std::size_t offset) const;
  std::size_t from_display(std::size_t offset) const;
  std::size_t caret_display() const { return to_display(cursor()) + composition_cursor_; }
  double wrap_width() const;
  const TextLayout* current_layout();
  void place(const TextLayout& layout, double caret_x, double caret_y0, double caret_y1);
  std::optional<std::size_t> offset_at(Point window_point);
  void draw_selection(Painter& painter, const Theme& theme, const TextLayout& layout);
  void draw_composition(Painter& painter, const Theme& theme, const TextLayout& layout);

  double text_size_ = 15.0;
  bool multiline_ = false;
  bool show_placeholder_ = false;
  bool blink_caret_ = false;
  std::string placeholder_;
  std::string local_author_;

  text_edit::EditBuffer buffer_;
  std::string composition_;
  std::size_t composition_cursor_ = 0;
  bool submit_ = false;
  bool dirty_ = false;
  bool focused_ = false;

  Rect rect_;
  Point origin_;                       // where the text's top-left corner was last drawn
  Point scroll_;                       // how far the text is scrolled inside the box
  std::optional<double> preferred_x_;  // kept across Up/Down so the caret keeps its column
  std::optional<Point> pointer_;       // logical pixels
  bool dragging_ = false;
  std::optional<std::pair<std::size_t, std::size_t>> drag_word_;  // the word a double click took
  bool caret_moved_ = true;  // the blink restarts, visible, on the next frame
  Clock::time_point blink_epoch_{};
  std::optional<Clock::time_point> next_blink_;
  std::shared_ptr<const TextLayout> layout_;
  std::optional<Rect> caret_rect_;
};

}  // namespace vesk_ui
