#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

namespace json {

// Every way decoding can fail. Syntax kinds come first, then the kinds raised while
// matching the text against a typed shape.
enum class ErrorKind {
  EofWhileParsingValue,
  EofWhileParsingObject,
  EofWhileParsingList,
  EofWhileParsingString,
  ExpectedColon,
  ExpectedListCommaOrEnd,
  ExpectedObjectCommaOrEnd,
  ExpectedIdent,
  ExpectedValue,
  KeyMustBeAString,
  InvalidNumber,
  InvalidEscape,
  InvalidUnicode,
  ControlCharacter,
  TrailingComma,
  TrailingCharacters,
  RecursionLimitExceeded,
  InvalidType,
  InvalidValue,
  InvalidLength,
  UnknownVariant,
  MissingField,
  DuplicateField,
};

// One decoding failure: its kind, its message and the 1-based line and byte column where it
// was met (column 0 means the end of input at the start of a line).
class Error {
 public:
  Error(ErrorKind kind, std::string message, std::size_t line, std::size_t column)
      : kind_(kind), message_(std::move(message)), line_(line), column_(column) {}

  ErrorKind kind() const { return kind_; }
  const std::string& message() const { return message_; }
  std::size_t line() const { return line_; }
  std::size_t column() const { return column_; }

  // "<message> at line L column C"
  std::string display() const;

 private:
  ErrorKind kind_;
  std::string message_;
  std::size_t line_;
  std::size_t column_;
};

// A decoded value or the one error that stopped decoding.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

}  // namespace json
