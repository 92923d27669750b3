#pragma once

// What a click (or an activation by keyboard or assistive technology) on an element does.

#include "app/hit_target.hpp"
#include "crdt/document.hpp"

namespace chat::app {

class ChatApp;

// Closes the context menu, forgets revealed messages, performs the target and rebuilds the
// view. Targets whose subsystems the window does not have yet (calls, pickers, attachments)
// do nothing beyond that.
void activate_target(ChatApp& app, const HitTarget& target, crdt::Document& doc);

}  // namespace chat::app
