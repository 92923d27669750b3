#pragma once
// The per-frame state pass of the window: where the document is seeded, the local person kept
// current and the chat view rebuilt. It never blocks and nothing in it fails outward.

#include "app/chat_app.hpp"
#include "crdt/document.hpp"

namespace chat::app {

void sync(ChatApp& app, crdt::Document& doc);

}  // namespace chat::app
