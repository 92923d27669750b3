#pragma once
// What the toolkit's launcher calls back into: building the window, rendering a screenshot,
// registering the chat action type, the window size, the presentation flag and opening the document
// store.

#include <memory>

#include <vesk_ui/app.hpp>
#include <vesk_ui/launch.hpp>
#include <vesk_ui/persist.hpp>
#include <vesk_ui/widget.hpp>

#include "actions/contexts.hpp"

namespace chat::app {

// One application identifier for the launch description and every action context.
using actions::kApplicationId;

std::unique_ptr<vesk_ui::Widget> build_app();
// The chat action type "chat.action" with its decoder; nothing else.
void register_actions(vesk_ui::App& app);
vesk_ui::WindowSize default_window_size();
bool launch_flag();
// The document file in the data directory, or a document in memory when there is none.
vesk_ui::persist::DocumentStore open_state(crdt::ActorId actor,
                                           vesk_ui::persist::PersistOptions options);

// The program's launch description: identifier, scene names, callbacks and window options.
vesk_ui::LaunchDescription launch_description();

}  // namespace chat::app
