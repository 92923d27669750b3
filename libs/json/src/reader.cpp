#include "json/reader.hpp"

#include "json/debug_writer.hpp"
#include "json/utf8.hpp"

namespace json {
namespace {

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

std::string_view default_message(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::EofWhileParsingValue:
      return "EOF while parsing a value";
    case ErrorKind::EofWhileParsingObject:
      return "EOF while parsing an object";
    case ErrorKind::EofWhileParsingList:
      return "EOF while parsing a list";
    case ErrorKind::EofWhileParsingString:
      return "EOF while parsing a string";
    case ErrorKind::ExpectedColon:
      return "expected `:`";
    case ErrorKind::ExpectedListCommaOrEnd:
      return "expected `,` or `]`";
    case ErrorKind::ExpectedObjectCommaOrEnd:
      return "expected `,` or `}`";
    case ErrorKind::ExpectedIdent:
      return "expected ident";
    case ErrorKind::ExpectedValue:
      return "expected value";
    case ErrorKind::KeyMustBeAString:
      return "key must be a string";
    case ErrorKind::InvalidNumber:
      return "invalid number";
    case ErrorKind::InvalidEscape:
      return "invalid escape";
    case ErrorKind::InvalidUnicode:
      return "invalid unicode code point";
    case ErrorKind::ControlCharacter:
      return "control character (\\u0000-\\u001F) found while parsing a string";
    case ErrorKind::TrailingComma:
      return "trailing comma";
    case ErrorKind::TrailingCharacters:
      return "trailing characters";
    case ErrorKind::RecursionLimitExceeded:
      return "recursion limit exceeded";
    case ErrorKind::InvalidType:
      return "invalid type";
    case ErrorKind::InvalidValue:
      return "invalid value";
    case ErrorKind::InvalidLength:
      return "invalid length";
    case ErrorKind::UnknownVariant:
      return "unknown variant";
    case ErrorKind::MissingField:
      return "missing field";
    case ErrorKind::DuplicateField:
      return "duplicate field";
  }
  return "invalid JSON";
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Reader::object_next(bool& first, bool& more) {
  int c = peek();
  if (c == '}') {
    more = false;
    return true;
  }
  if (c == ',' && !first) {
    bump();
    c = peek();
  } else if (c == -1) {
    return fail(ErrorKind::EofWhileParsingObject);
  } else if (first) {
    first = false;
  } else {
    return fail(ErrorKind::ExpectedObjectCommaOrEnd);
  }
  if (c == '"') {
    more = true;
    return true;
  }
  if (c == '}') return fail(ErrorKind::TrailingComma);
  if (c == -1) return fail(ErrorKind::EofWhileParsingValue);
  return fail(ErrorKind::KeyMustBeAString);
}

bool Reader::array_next(bool& first, bool& more) {
  int c = peek();
  if (c == ']') {
    more = false;
    return true;
  }
  if (c == ',' && !first) {
    bump();
    c = peek();
  } else if (c == -1) {
    return fail(ErrorKind::EofWhileParsingList);
  } else if (first) {
    first = false;
  } else {
    return fail(ErrorKind::ExpectedListCommaOrEnd);
  }
  if (c == ']') return fail(ErrorKind::TrailingComma);
  if (c == -1) return fail(ErrorKind::EofWhileParsingValue);
  more = true;
  return true;
}

bool Reader::array_end() {
  const int c = peek();
  if (c == ']') {
    bump();
    return true;
  }
  if (c == -1) return fail(ErrorKind::EofWhileParsingList);
  if (c == ',') {
    bump();
    if (peek() == ']') return fail(ErrorKind::TrailingComma);
  }
  return fail(ErrorKind::TrailingCharacters);
}

bool Reader::colon() {
  const int c = peek();
  if (c == ':') {
    bump();
    return true;
  }
  if (c == -1) return fail(ErrorKind::EofWhileParsingObject);
  return fail(ErrorKind::ExpectedColon);
}

bool Reader::read_string(std::string_view& out) {
  const char* start = ++pos_;
  while (pos_ < end_) {
    const auto c = static_cast<unsigned char>(*pos_);
    if (c == '"') {
      out = std::string_view(start, static_cast<std::size_t>(pos_ - start));
      ++pos_;
      return true;
    }
    if (c == '\\') return read_escaped_string(start, out);
    if (c < 0x20) return fail(ErrorKind::ControlCharacter);
    if (c < 0x80) {
      ++pos_;
      continue;
    }
    const std::size_t n = utf8_sequence_length(reinterpret_cast<const unsigned char*>(pos_),
                                               reinterpret_cast<const unsigned char*>(end_));
    if (n == 0) return fail(ErrorKind::InvalidUnicode);
    pos_ += n;
  }
  return fail(ErrorKind::EofWhileParsingString);
}

// The slow road, taken at the first backslash: the contents are rebuilt in scratch.
bool Reader::read_escaped_string(const char* start, std::string_view& out) {
  scratch_.assign(start, pos_);
  while (pos_ < end_) {
    const auto c = static_cast<unsigned char>(*pos_);
    if (c == '"') {
      ++pos_;
      out = scratch_;
      return true;
    }
    if (c == '\\') {
      ++pos_;
      if (pos_ == end_) break;
      const char e = *pos_++;
      switch (e) {
        case '"':
          scratch_.push_back('"');
          break;
        case '\\':
          scratch_.push_back('\\');
          break;
        case '/':
          scratch_.push_back('/');
          break;
        case 'b':
          scratch_.push_back('\b');
          break;
        case 'f':
          scratch_.push_back('\f');
          break;
        case 'n':
          scratch_.push_back('\n');
          break;
        case 'r':
          scratch_.push_back('\r');
          break;
        case 't':
          scratch_.push_back('\t');
          break;
        case 'u': {
          char32_t cp = 0;
          if (!read_hex_escape(cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return fail_at(offset() - 1, ErrorKind::InvalidUnicode, "invalid unicode code point");
          }
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (pos_ == end_ || (pos_[0] == '\\' && end_ - pos_ == 1)) {
              pos_ = end_;
              return fail(ErrorKind::EofWhileParsingString);
            }
            if (pos_[0] != '\\' || pos_[1] != 'u') {
              return fail(ErrorKind::InvalidUnicode, "lone leading surrogate in hex escape");
            }
            pos_ += 2;
            char32_t low = 0;
            if (!read_hex_escape(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) {
              return fail_at(offset() - 1, ErrorKind::InvalidUnicode, "invalid unicode code point");
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          append_utf8(scratch_, cp);
          break;
        }
        default:
          return fail_at(offset() - 1, ErrorKind::InvalidEscape, "invalid escape");
      }
      continue;
    }
    if (c < 0x20) return fail(ErrorKind::ControlCharacter);
    if (c < 0x80) {
      scratch_.push_back(static_cast<char>(c));
      ++pos_;
      continue;
    }
    const std::size_t n = utf8_sequence_length(reinterpret_cast<const unsigned char*>(pos_),
                                               reinterpret_cast<const unsigned char*>(end_));
    if (n == 0) return fail(ErrorKind::InvalidUnicode);
    scratch_.append(pos_, n);
    pos_ += n;
  }
  pos_ = end_;
  return fail(ErrorKind::EofWhileParsingString);
}

bool Reader::read_hex_escape(char32_t& out) {
  out = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos_ == end_) return fail(ErrorKind::EofWhileParsingString);
    const int v = hex_value(*pos_);
    if (v < 0) return fail(ErrorKind::InvalidEscape);
    out = out * 16 + static_cast<char32_t>(v);
    ++pos_;
  }
  return true;
}

bool Reader::read_literal(std::string_view word) {
  for (const char expected : word) {
    if (pos_ == end_) return fail(ErrorKind::EofWhileParsingValue);
    if (*pos_ != expected) return fail(ErrorKind::ExpectedIdent);
    ++pos_;
  }
  return true;
}

bool Reader::read_number(Number& out) {
  const char* start = pos_;
  out = Number{};
  if (*pos_ == '-') {
    out.negative = true;
    ++pos_;
  }
  if (pos_ == end_) return fail(ErrorKind::EofWhileParsingValue);
  if (*pos_ == '0') {
    ++pos_;
    if (pos_ < end_ && is_digit(*pos_)) return fail(ErrorKind::InvalidNumber);
  } else if (is_digit(*pos_)) {
    std::uint64_t m = 0;
    while (pos_ < end_ && is_digit(*pos_)) {
      const auto d = static_cast<std::uint64_t>(*pos_ - '0');
      if (m > (UINT64_MAX - d) / 10) out.overflow = true;
      m = m * 10 + d;
      ++pos_;
    }
    out.magnitude = out.overflow ? 0 : m;
  } else {
    return fail(ErrorKind::InvalidNumber);
  }
  if (pos_ < end_ && *pos_ == '.') {
    out.integer = false;
    ++pos_;
    if (pos_ == end_ || !is_digit(*pos_)) return fail(ErrorKind::InvalidNumber);
    while (pos_ < end_ && is_digit(*pos_)) ++pos_;
  }
  if (pos_ < end_ && (*pos_ == 'e' || *pos_ == 'E')) {
    out.integer = false;
    ++pos_;
    if (pos_ < end_ && (*pos_ == '+' || *pos_ == '-')) ++pos_;
    if (pos_ == end_ || !is_digit(*pos_)) return fail(ErrorKind::InvalidNumber);
    while (pos_ < end_ && is_digit(*pos_)) ++pos_;
  }
  out.text = std::string_view(start, static_cast<std::size_t>(pos_ - start));
  return true;
}

bool Reader::skip_value() {
  const int c = peek();
  switch (c) {
    case -1:
      return fail(ErrorKind::EofWhileParsingValue);
    case '"': {
      std::string_view ignored;
      return read_string(ignored);
    }
    case 'n':
      return read_literal("null");
    case 't':
      return read_literal("true");
    case 'f':
      return read_literal("false");
    case '[':
    case '{':
      return skip_nested();
    default:
      if (c == '-' || is_digit(c)) {
        Number ignored;
        return read_number(ignored);
      }
      return fail(ErrorKind::ExpectedValue);
  }
}

// Recursion here is bounded by the nesting limit.
bool Reader::skip_nested() {
  const bool object = *pos_ == '{';
  if (!enter()) return false;
  bool first = true;
  bool more = true;
  while (true) {
    if (object) {
      if (!object_next(first, more)) return false;
      if (!more) break;
      std::string_view key;
      if (!read_string(key) || !colon() || !skip_value()) return false;
    } else {
      if (!array_next(first, more)) return false;
      if (!more) break;
      if (!skip_value()) return false;
    }
  }
  bump();
  leave();
  return true;
}

bool Reader::finish() {
  if (peek() == -1) return true;
  return fail(ErrorKind::TrailingCharacters);
}

bool Reader::fail(ErrorKind kind) {
  return fail(kind, std::string(default_message(kind)));
}

bool Reader::fail(ErrorKind kind, std::string message) {
  return fail_at(offset(), kind, std::move(message));
}

bool Reader::fail_at(std::size_t offset, ErrorKind kind, std::string message) {
  if (error_) return false;
  const std::size_t size = static_cast<std::size_t>(end_ - begin_);
  if (offset > size) offset = size;
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (begin_[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  const std::size_t column = offset < size ? offset - line_start + 1 : offset - line_start;
  error_.emplace(kind, std::move(message), line, column);
  pos_ = end_;
  return false;
}

bool Reader::invalid_type(std::string_view expected) {
  const int c = peek();
  const std::size_t at = offset();
  std::string unexpected;
  switch (c) {
    case -1:
      return fail(ErrorKind::EofWhileParsingValue);
    case 'n':
      if (!read_literal("null")) return false;
      unexpected = "null";
      break;
    case 't':
      if (!read_literal("true")) return false;
      unexpected = "boolean `true`";
      break;
    case 'f':
      if (!read_literal("false")) return false;
      unexpected = "boolean `false`";
      break;
    case '"': {
      std::string_view text;
      if (!read_string(text)) return false;
      unexpected = "string ";
      DebugWriter(unexpected).string(text);
      break;
    }
    case '[':
      unexpected = "sequence";
      break;
    case '{':
      unexpected = "map";
      break;
    default: {
      if (c != '-' && !is_digit(c)) return fail(ErrorKind::ExpectedValue);
      Number number;
      if (!read_number(number)) return false;
      unexpected = number.integer ? "integer `" : "floating point `";
      unexpected += number.text;
      unexpected += "`";
    }
  }
  return fail_at(at, ErrorKind::InvalidType, message::invalid_type(unexpected, expected));
}

Error Reader::take_error() {
  if (!error_) return Error(ErrorKind::ExpectedValue, "expected value", 1, 0);
  Error error = std::move(*error_);
  error_.reset();
  return error;
}

std::string Error::display() const {
  return message_ + " at line " + std::to_string(line_) + " column " + std::to_string(column_);
}

namespace message {

std::string invalid_type(std::string_view unexpected, std::string_view expected) {
  return "invalid type: " + std::string(unexpected) + ", expected " + std::string(expected);
}

std::string invalid_value(std::string_view unexpected, std::string_view expected) {
  return "invalid value: " + std::string(unexpected) + ", expected " + std::string(expected);
}

std::string invalid_length(std::size_t length, std::string_view expected) {
  return "invalid length " + std::to_string(length) + ", expected " + std::string(expected);
}

std::string missing_field(std::string_view field) {
  return "missing field `" + std::string(field) + "`";
}

std::string duplicate_field(std::string_view field) {
  return "duplicate field `" + std::string(field) + "`";
}

}  // namespace message
}  // namespace json
