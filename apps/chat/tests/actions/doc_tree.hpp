#pragma once

// The whole content of a document as one JSON value, free of object ids and actors, so that
// two documents written by different replicas compare equal when they hold the same thing.

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <variant>

#include "crdt/document.hpp"

namespace chat::actions::testing {

inline nlohmann::json scalar_tree(const crdt::ScalarValue& value) {
  struct Visitor {
    nlohmann::json operator()(const crdt::Null&) { return nullptr; }
    nlohmann::json operator()(bool v) { return v; }
    nlohmann::json operator()(std::int64_t v) { return v; }
    nlohmann::json operator()(std::uint64_t v) { return {{"u64", v}}; }
    nlohmann::json operator()(double v) { return {{"f64", v}}; }
    nlohmann::json operator()(const std::string& v) { return v; }
    nlohmann::json operator()(const crdt::Bytes& v) { return {{"bytes", v}}; }
    nlohmann::json operator()(const crdt::Counter& v) { return {{"counter", v.value}}; }
    nlohmann::json operator()(const crdt::Timestamp& v) { return {{"timestamp", v.millis}}; }
    nlohmann::json operator()(const crdt::UnknownScalar& v) { return {{"unknown", v.type_code}}; }
  };
  return std::visit(Visitor{}, value.content);
}

inline nlohmann::json doc_tree(const crdt::Document& doc, const crdt::ObjId& obj = crdt::ROOT);

inline nlohmann::json value_tree(const crdt::Document& doc, const crdt::ValueAndId& entry) {
  if (const crdt::ScalarValue* scalar = entry.first.scalar()) return scalar_tree(*scalar);
  return doc_tree(doc, entry.second);
}

inline nlohmann::json doc_tree(const crdt::Document& doc, const crdt::ObjId& obj) {
  switch (doc.object_type(obj).value_or(crdt::ObjType::Map)) {
    case crdt::ObjType::Text:
      return {{"text", doc.text(obj).value_or("")}};
    case crdt::ObjType::List: {
      nlohmann::json list = nlohmann::json::array();
      for (std::size_t i = 0; i < doc.length(obj); ++i)
        list.push_back(value_tree(doc, *doc.get(obj, i)));
      return list;
    }
    case crdt::ObjType::Map:
      break;
  }
  nlohmann::json map = nlohmann::json::object();
  for (std::string_view key : doc.keys(obj))
    map[std::string(key)] = value_tree(doc, *doc.get(obj, key));
  return map;
}

}  // namespace chat::actions::testing
