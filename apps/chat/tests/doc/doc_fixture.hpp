#pragma once
// Small helpers for building documents by hand in tests: paths of maps, raw scalars, and a
// heads snapshot to prove that a repeated write changed nothing.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "crdt/document.hpp"
#include "doc/access.hpp"

namespace chat::doc::testing {

// The map at root/k1/k2/..., created as needed.
inline crdt::ObjId map_at(crdt::Document& doc, std::initializer_list<std::string_view> path) {
  crdt::ObjId at = crdt::ROOT;
  for (std::string_view key : path) at = ensure_map(doc, at, key);
  return at;
}

inline void put(crdt::Document& doc, const crdt::ObjId& obj, std::string_view key,
                crdt::ScalarValue value) {
  ASSERT_TRUE(doc.put(obj, key, std::move(value)).ok());
}

inline bool has_key(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key) {
  return doc.get(obj, key).has_value();
}

// Heads after committing whatever is pending: equal snapshots mean no write happened between.
inline std::vector<crdt::ChangeHash> heads(crdt::Document& doc) {
  return doc.get_heads();
}

}  // namespace chat::doc::testing
