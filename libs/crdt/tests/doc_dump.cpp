#include "doc_dump.hpp"

#include <cstdio>

namespace crdt::testing {

namespace {

struct ScalarPrinter {
  std::string operator()(const Null&) const { return "null"; }
  std::string operator()(bool b) const { return b ? "true" : "false"; }
  std::string operator()(std::int64_t v) const { return "i" + std::to_string(v); }
  std::string operator()(std::uint64_t v) const { return "u" + std::to_string(v); }
  std::string operator()(double v) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "f%.17g", v);
    return buf;
  }
  std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
  std::string operator()(const Bytes& b) const { return "b" + std::to_string(b.size()); }
  std::string operator()(const Counter& c) const { return "c" + std::to_string(c.value); }
  std::string operator()(const Timestamp& t) const { return "t" + std::to_string(t.millis); }
  std::string operator()(const UnknownScalar& u) const {
    return "?" + std::to_string(u.type_code) + "/" + std::to_string(u.bytes.size());
  }
};

std::string value_text(const Document& doc, const ValueAndId& v) {
  if (auto t = v.first.object_type()) return dump(doc, v.second);
  return scalar_text(*v.first.scalar()) + "@" + v.second.to_string();
}

std::string all_text(const Document& doc, const std::vector<ValueAndId>& values) {
  std::string out = "[";
  for (const auto& v : values) out += value_text(doc, v) + ",";
  return out + "]";
}

}  // namespace

std::string scalar_text(const ScalarValue& v) {
  return std::visit(ScalarPrinter{}, v.content);
}

std::string dump(const Document& doc, const ObjId& obj) {
  auto type = doc.object_type(obj);
  if (!type) return "<missing>";
  std::string out = obj.to_string();
  switch (*type) {
    case ObjType::Map:
      out += "{";
      for (std::string_view key : doc.keys(obj)) {
        out += std::string(key) + ":" + all_text(doc, doc.get_all(obj, key)) + ";";
      }
      return out + "}";
    case ObjType::List:
      out += "(";
      for (std::size_t i = 0; i < doc.length(obj); ++i) {
        out += all_text(doc, doc.get_all(obj, i)) + ";";
      }
      return out + ")";
    case ObjType::Text:
      return out + "'" + *doc.text(obj) + "'";
  }
  return out;
}

}  // namespace crdt::testing
