#pragma once

#include <string_view>

#include "crdt/document.hpp"

namespace vesk_ui {

// Brings the text object to `new_text` with one splice of the stretch between the common prefix
// and the common suffix of the old and the new text (positions in code points, the document's
// text unit), so that concurrent edits elsewhere in the text merge. No change when equal.
crdt::Status splice_text_diffed(crdt::Document& doc, const crdt::ObjId& text_obj,
                                std::string_view new_text);

}  // namespace vesk_ui
