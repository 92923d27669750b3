#include "json/debug_writer.hpp"
#include "json/text_writer.hpp"
#include "json/utf8.hpp"

namespace json {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// Bytes that stand for themselves inside a JSON string.
bool plain_json_byte(unsigned char c) {
  return c >= 0x20 && c != '"' && c != '\\' && c < 0x80;
}

}  // namespace

void TextWriter::string(std::string_view text) {
  out_.push_back('"');
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const auto* run = p;
    while (p < end && plain_json_byte(*p)) ++p;
    out_.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
    if (p == end) break;
    const unsigned char c = *p;
    if (c >= 0x80) {
      const std::size_t n = utf8_sequence_length(p, end);
      if (n == 0) {
        out_.append("\xEF\xBF\xBD");
        ++p;
      } else {
        out_.append(reinterpret_cast<const char*>(p), n);
        p += n;
      }
      continue;
    }
    ++p;
    switch (c) {
      case '"':
        out_.append("\\\"");
        break;
      case '\\':
        out_.append("\\\\");
        break;
      case '\b':
        out_.append("\\b");
        break;
      case '\f':
        out_.append("\\f");
        break;
      case '\n':
        out_.append("\\n");
        break;
      case '\r':
        out_.append("\\r");
        break;
      case '\t':
        out_.append("\\t");
        break;
      default: {
        const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
        out_.append(escape, sizeof escape);
      }
    }
  }
  out_.push_back('"');
}

void DebugWriter::string(std::string_view text) {
  out_.push_back('"');
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c >= 0x80) {
      const std::size_t n = utf8_sequence_length(p, end);
      if (n == 0) {
        out_.append("\xEF\xBF\xBD");
        ++p;
      } else {
        out_.append(reinterpret_cast<const char*>(p), n);
        p += n;
      }
      continue;
    }
    ++p;
    switch (c) {
      case '"':
        out_.append("\\\"");
        break;
      case '\\':
        out_.append("\\\\");
        break;
      case '\n':
        out_.append("\\n");
        break;
      case '\r':
        out_.append("\\r");
        break;
      case '\t':
        out_.append("\\t");
        break;
      case '\0':
        out_.append("\\0");
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out_.append("\\u{");
          if (c >= 0x10) out_.push_back(kHex[c >> 4]);
          out_.push_back(kHex[c & 0xF]);
          out_.push_back('}');
        } else {
          out_.push_back(static_cast<char>(c));
        }
    }
  }
  out_.push_back('"');
}

}  // namespace json
