#pragma once
// A small widget for driving the launcher: it paints a few shapes and a line of text, counts what
// reaches it and writes the number of key presses into the document.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "vesk_ui/painter.hpp"
#include "vesk_ui/path.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui::testing {

inline const Color kProbeGround = Color::from_rgb(0x203040);
inline const Color kProbeRed = Color::from_rgb(0xE02020);
inline const Color kProbeGreen = Color::from_rgb(0x20C040);
// Logical rectangles of the shapes.
inline const Rect kProbeRedRect{20, 20, 120, 80};
inline constexpr double kProbeCircleX = 200, kProbeCircleY = 50, kProbeCircleR = 30;
inline const Point kProbeTextAt{20, 100};

class ProbeWidget final : public Widget {
 public:
  void sync(crdt::Document& doc) override {
    if (syncs++ == 0) first_sync_keys = doc.length(crdt::ROOT);
  }

  void draw(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
            DrawCtx& ctx) override {
    ++draws;
    drawn_bounds = bounds;
    drawn_width = bounds.width();
    drawn_height = bounds.height();
    drawn_scale = ctx.scale_factor;
    Painter p{scene, text, ctx.transform};
    scene.fill(p.transform, Path::rect(bounds), kProbeGround);
    scene.fill(p.transform, Path::rect(kProbeRedRect), kProbeRed);
    scene.fill(p.transform, Path::circle(kProbeCircleX, kProbeCircleY, kProbeCircleR), kProbeGreen);
    auto layout = text.shape("Probe 42", 24, 2);
    text.draw(scene, p.transform, *layout, kProbeTextAt, theme.text_primary);
    if (animation_frames_left > 0) --animation_frames_left;
  }

  void draw_with_presence(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
                          DrawCtx& ctx, const PresenceCtx& presence,
                          const PermissionContext& permissions) override {
    may_write = permissions.check({0, 2});
    present_users = presence.present_users.size();
    Widget::draw_with_presence(scene, bounds, text, theme, ctx, presence, permissions);
  }

  void handle_event(const InputEvent& event, const Modifiers&, crdt::Document& doc,
                    double scale_factor, ToolkitCtx& ctx, bool& handled) override {
    ++events;
    if (const KeyEvent* key = std::get_if<KeyEvent>(&event)) {
      if (key->state == ElementState::Pressed) {
        std::int64_t presses = ++key_presses;
        doc.put(crdt::ROOT, "key_presses", presses);
        doc.commit();
        std::lock_guard lock(mutex_);
        if (const std::string* s = std::get_if<std::string>(&key->key)) {
          keys.push_back(*s);
          ctx.clipboard.set_text("key " + *s);
          clipboard_after_key = ctx.clipboard.get_text();
        }
      }
    } else if (const TextEvent* t = std::get_if<TextEvent>(&event)) {
      std::lock_guard lock(mutex_);
      typed += t->text;
    } else if (const PointerMoved* m = std::get_if<PointerMoved>(&event)) {
      last_x = m->x / scale_factor;
      last_y = m->y / scale_factor;
    } else if (const PointerButton* b = std::get_if<PointerButton>(&event)) {
      if (b->state == ElementState::Pressed && b->button == PointerButtonKind::Primary) {
        press_x = last_x.load();
        press_y = last_y.load();
        ++primary_presses;
      }
    }
    handled = true;
  }

  bool needs_animation_frame() const override { return animation_frames_left > 0; }
  bool take_redraw_request() override { return redraw_requested.exchange(false); }

  std::string typed_text() {
    std::lock_guard lock(mutex_);
    return typed;
  }
  std::vector<std::string> key_texts() {
    std::lock_guard lock(mutex_);
    return keys;
  }

  // Read from the thread that drives the window, written on the window's thread.
  std::atomic<int> syncs{0};
  std::atomic<int> draws{0};
  std::atomic<int> events{0};
  std::atomic<int> key_presses{0};
  std::atomic<int> primary_presses{0};
  std::atomic<double> last_x{-1}, last_y{-1};
  std::atomic<double> press_x{-1}, press_y{-1};
  std::atomic<int> animation_frames_left{0};
  std::atomic<bool> redraw_requested{false};
  std::size_t first_sync_keys = 0;
  std::atomic<double> drawn_width{0}, drawn_height{0};
  Rect drawn_bounds;  // read only once the window has closed
  double drawn_scale = 0;
  bool may_write = false;
  std::optional<std::string> clipboard_after_key;
  std::size_t present_users = 99;

 private:
  std::mutex mutex_;
  std::string typed;
  std::vector<std::string> keys;
};

}  // namespace vesk_ui::testing
