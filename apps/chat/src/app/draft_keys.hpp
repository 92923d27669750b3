#pragma once

// Where each composer keeps its draft in the document.

#include <optional>
#include <string>
#include <string_view>

namespace chat::app {

// Which composer types: the main one under the message list, or the open thread's.
inline constexpr int kComposerMain = 0;
inline constexpr int kComposerThread = 1;

// The thread composer's key: conversation, "::t::", parent message; none without a thread.
std::optional<std::string> thread_draft_key(std::string_view conversation,
                                            const std::optional<std::string>& open_thread);

// The thread key when the thread composer is in use (focus on it and a thread open), else the
// conversation id.
std::string composer_draft_key(std::string_view conversation,
                               const std::optional<std::string>& open_thread, int composer_focus);

// Whether the thread composer is the one in use.
bool thread_composer_in_use(const std::optional<std::string>& open_thread, int composer_focus);

}  // namespace chat::app
