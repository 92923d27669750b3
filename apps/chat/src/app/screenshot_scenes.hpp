#pragma once
// Screenshot mode: one named scene of the window, set up on a fresh window over the demo
// document and written as a PNG.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <vesk_ui/shot_frame.hpp>

#include "app/chat_app.hpp"

namespace chat::app {

inline constexpr std::array<std::string_view, 21> kScreenshotScenes = {
    "narrow",
    "history",
    "compact",
    "starter",
    "people",
    "thread-narrow",
    "collaboration",
    "context",
    "msgmenu",
    "attach",
    "attach-loading",
    "attach-error",
    "edit",
    "composer",
    "call",
    "share",
    "floating-call-attached",
    "floating-call",
    "floating-call-hover",
    "floating-call-returning",
    "floating-call-returned",
};

// The window of a screenshot: the base state alone, without the local identity or networked
// media.
std::unique_ptr<ChatApp> screenshot_app();

// Prepares a fresh window for the scene; an unknown name (or none) gets the default set-up.
void apply_scene(ChatApp& app, std::string_view scene);

// Asks the image store for every viewable image of the open conversation and waits (at most 3 s)
// until it has loaded them, so the shot shows pictures rather than their placeholders.
void wait_for_images(ChatApp& app);

// None on success, else the error text.
std::optional<std::string> render_screenshot(const vesk_ui::ShotRequest& request);

}  // namespace chat::app
