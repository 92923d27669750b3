// Loads arbitrary bytes as a document; whatever loads must read, save and load again.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "crdt/document.hpp"

namespace {

void walk(const crdt::Document& doc, const crdt::ObjId& obj, int depth) {
  if (depth > 64) return;
  auto type = doc.object_type(obj);
  if (!type) return;
  auto visit = [&](const std::vector<crdt::ValueAndId>& values) {
    for (const auto& v : values) {
      if (v.first.is_object()) walk(doc, v.second, depth + 1);
    }
  };
  if (*type == crdt::ObjType::Map) {
    for (std::string_view key : doc.keys(obj)) visit(doc.get_all(obj, key));
  } else {
    std::size_t n = doc.length(obj);
    for (std::size_t i = 0; i < n && i < 4096; ++i) visit(doc.get_all(obj, i));
    if (*type == crdt::ObjType::Text) (void)doc.text(obj);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto doc = crdt::Document::load(std::span(data, size));
  if (!doc) return 0;
  walk(*doc, crdt::ROOT, 0);
  (void)doc->get_heads();
  auto again = crdt::Document::load(doc->save());
  if (!again) std::abort();  // a document that loaded must save into something loadable
  walk(*again, crdt::ROOT, 0);
  return 0;
}
