#pragma once
// One-time move of built-in demo picture addresses from the attachment's old "path" key to
// "blob", for documents written before attachments kept their address there.

#include "crdt/document.hpp"

namespace chat::doc {

// Repairs at most 32 attachments per call, found among the first 256 channel keys and the
// first 256 message entries visited. A repaired document has nothing left to repair.
void migrate_demo_attachment_paths(crdt::Document& doc);

}  // namespace chat::doc
