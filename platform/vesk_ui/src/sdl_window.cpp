#include "vesk_ui/sdl_window.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "vesk_ui/launch_frame.hpp"
#include "vesk_ui/sdl_clipboard.hpp"
#include "vesk_ui/sdl_input.hpp"

namespace vesk_ui::sdl {
namespace {

using Clock = std::chrono::steady_clock;

struct WindowDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// SDL's video subsystem for the lifetime of the window.
class VideoSession {
 public:
  VideoSession() : ok_(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
  VideoSession(const VideoSession&) = delete;
  VideoSession& operator=(const VideoSession&) = delete;
  ~VideoSession() {
    if (ok_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

class TextInputSession {
 public:
  TextInputSession() { SDL_StartTextInput(); }
  TextInputSession(const TextInputSession&) = delete;
  TextInputSession& operator=(const TextInputSession&) = delete;
  ~TextInputSession() { SDL_StopTextInput(); }
};

std::string sdl_error(const std::string& what) {
  return what + ": " + SDL_GetError();
}

Uint32 window_flags(const WindowSettings& s) {
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (s.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (s.always_on_top) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if (s.resizable) flags |= SDL_WINDOW_RESIZABLE;
  if (s.high_dpi) flags |= SDL_WINDOW_ALLOW_HIGHDPI;
  return flags;
}

// The window's pixels: a streaming texture the size of the drawable, painted through a Scene
// over its locked memory.
class Canvas {
 public:
  Canvas(SDL_Window* window, SDL_Renderer* renderer) : window_(window), renderer_(renderer) {}

  // Physical pixels per window unit, from the drawable size against the window size.
  double scale_factor() const {
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &dw, &dh);
    if (ww <= 0 || dw <= 0) return 1.0;
    return static_cast<double>(dw) / ww;
  }

  // Runs `paint` on a scene of the drawable's size and shows the result. False when the
  // window has no pixels (minimised) or SDL refused.
  template <typename Paint>
  bool present(Paint&& paint) {
    int dw = 0, dh = 0;
    SDL_GetRendererOutputSize(renderer_, &dw, &dh);
    if (dw <= 0 || dh <= 0) return false;
    if (!texture_ || dw != width_ || dh != height_) {
      texture_.reset(SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, dw, dh));
      if (!texture_) {
        report(sdl_error("cannot create the window's texture"));
        return false;
      }
      width_ = dw;
      height_ = dh;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), nullptr, &pixels, &pitch) != 0) {
      report(sdl_error("cannot lock the window's texture"));
      return false;
    }
    {
      Scene scene(static_cast<unsigned char*>(pixels), dw, dh, pitch);
      paint(scene);
      scene.flush();
    }
    SDL_UnlockTexture(texture_.get());
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    return true;
  }

 private:
  // Said once: a failing texture fails every frame.
  void report(const std::string& text) {
    if (reported_) return;
    reported_ = true;
    std::fprintf(stderr, "window: %s\n", text.c_str());
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  TexturePtr texture_;
  int width_ = 0;
  int height_ = 0;
  bool reported_ = false;
};

RendererPtr create_renderer(SDL_Window* window, bool vsync) {
  Uint32 accelerated = SDL_RENDERER_ACCELERATED | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
  RendererPtr renderer(SDL_CreateRenderer(window, -1, accelerated));
  if (!renderer) renderer.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
  return renderer;
}

// The loop's state between frames.
class WindowLoop {
 public:
  WindowLoop(const WindowSettings& settings, SDL_Window* window, SDL_Renderer* renderer,
             Widget& root, crdt::Document& doc, const PersistFn& persist, WindowRun& run)
      : settings_(settings),
        window_id_(SDL_GetWindowID(window)),
        canvas_(window, renderer),
        root_(root),
        doc_(doc),
        persist_(persist),
        run_(run),
        heads_(doc.get_heads()) {}

  void run() {
    Clock::time_point last_frame = Clock::now() - settings_.idle_interval;
    bool frame_due = true;
    while (running_) {
      Clock::time_point now = Clock::now();
      Clock::time_point next_allowed =
          last_frame + std::chrono::duration_cast<Clock::duration>(settings_.frame_interval);
      bool wants_frame = frame_due || requests_.any();
      Clock::time_point wake = wants_frame ? next_allowed : last_frame + settings_.idle_interval;
      if (!wants_frame && wake_at_) wake = std::min(wake, std::max(*wake_at_, next_allowed));

      SDL_Event event;
      bool have = false;
      if (wake <= now) {
        have = SDL_PollEvent(&event) != 0;
      } else {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count();
        have = SDL_WaitEventTimeout(&event, static_cast<int>(std::max<long long>(1, wait))) != 0;
      }
      while (have && running_) {
        if (dispatch(event)) frame_due = true;
        have = SDL_PollEvent(&event) != 0;
      }
      if (!running_) break;

      now = Clock::now();
      wants_frame = frame_due || requests_.any();
      bool idle_tick = now >= last_frame + settings_.idle_interval;
      bool woken = wake_at_ && now >= *wake_at_ && now >= next_allowed;
      if ((wants_frame && now >= next_allowed) || idle_tick || woken) {
        last_frame = now;
        frame_due = false;
        frame(now);
      }
    }
    persist_now();
  }

 private:
  // True when the event calls for a frame.
  bool dispatch(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
      running_ = false;
      return false;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == window_id_) {
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          running_ = false;
          return false;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
          return true;
        default:
          break;
      }
    }
    double scale = canvas_.scale_factor();
    std::optional<TranslatedEvent> translated =
        translator_.translate(event, scale, SDL_GetModState());
    if (!translated) return false;
    ToolkitCtx ctx{clipboard_, Clock::now()};
    bool handled = false;
    root_.handle_event(translated->event, translated->modifiers, doc_, scale, ctx, handled);
    ++run_.events;
    // Widgets redraw after every event they receive, whatever they say about it.
    return true;
  }

  void frame(Clock::time_point now) {
    ++run_.frames;
    wake_at_.reset();
    double scale = canvas_.scale_factor();
    cycle_.sync(root_, doc_);
    canvas_.present([&](Scene& scene) {
      layout::Extent logical{scene.width() / scale, scene.height() / scale};
      if (std::optional<LayoutError> error = cycle_.layout(root_, logical)) {
        if (!layout_failed_)
          std::fprintf(stderr, "window: layout failed: %s\n", error->display().c_str());
        layout_failed_ = true;
        scene.clear(settings_.theme.window_bg);
        return;
      }
      layout_failed_ = false;
      DrawCtx ctx{Affine::scale(scale), scale, now};
      cycle_.draw(root_, scene, text_, settings_.theme, ctx, presence_, permissions_);
      wake_at_ = ctx.wake_at;
    });
    requests_ = cycle_.finish(root_);
    if (document_changed()) persist_now();
  }

  bool document_changed() {
    std::vector<crdt::ChangeHash> heads = doc_.get_heads();
    if (heads == heads_) return false;
    heads_ = std::move(heads);
    return true;
  }

  void persist_now() {
    if (!persist_) return;
    persist_();
    ++run_.persists;
  }

  const WindowSettings& settings_;
  std::optional<Clock::time_point> wake_at_;  // asked for by the last frame's drawing
  Uint32 window_id_;
  Canvas canvas_;
  Widget& root_;
  crdt::Document& doc_;
  const PersistFn& persist_;
  WindowRun& run_;
  std::vector<crdt::ChangeHash> heads_;

  EventTranslator translator_;
  SdlClipboard clipboard_;
  FrameCycle cycle_;
  TextRenderer text_;
  PresenceCtx presence_;
  PermissionContext permissions_ = PermissionContext::permissive();
  FrameRequests requests_;
  bool running_ = true;
  bool layout_failed_ = false;
};

}  // namespace

std::optional<WindowError> run_window(const WindowSettings& settings, Widget& root,
                                      crdt::Document& doc, const PersistFn& persist,
                                      WindowRun* run) {
  // A chat window is no game: the screen saver stays allowed and the desktop compositor keeps
  // compositing it.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  VideoSession video;
  if (!video.ok()) return WindowError{sdl_error("cannot start the video subsystem")};
  int w = static_cast<int>(std::clamp<std::uint32_t>(settings.width, 1, 16384));
  int h = static_cast<int>(std::clamp<std::uint32_t>(settings.height, 1, 16384));
  WindowPtr window(SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                    SDL_WINDOWPOS_CENTERED, w, h, window_flags(settings)));
  if (!window) return WindowError{sdl_error("cannot open a window")};
  RendererPtr renderer = create_renderer(window.get(), settings.vsync);
  if (!renderer) return WindowError{sdl_error("cannot draw into the window")};
  TextInputSession text_input;

  WindowRun local;
  WindowLoop loop(settings, window.get(), renderer.get(), root, doc, persist, run ? *run : local);
  loop.run();
  return std::nullopt;
}

}  // namespace vesk_ui::sdl
