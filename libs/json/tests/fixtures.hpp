#pragma once

// Small records and unions that exercise every building block of the schemas.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "json/declare.hpp"

namespace json_fixtures {

enum class Colour { Red, Green };

// Required, optional, defaulted and left-out-when-empty fields.
struct Pin {
  std::int64_t x = 0;
  std::string name{};
  std::optional<std::string> note{};
  std::vector<std::uint32_t> tags{};
  std::optional<Colour> colour{};
  bool operator==(const Pin&) const = default;
};

namespace shape {
struct Dot {
  bool operator==(const Dot&) const = default;
};
struct Line {
  std::uint32_t length = 0;
  bool operator==(const Line&) const = default;
};
struct Box {
  std::uint32_t w = 0;
  std::uint32_t h = 0;
  bool operator==(const Box&) const = default;
};
}  // namespace shape

// Internally tagged by "kind".
struct Shape {
  using Dot = shape::Dot;
  using Line = shape::Line;
  using Box = shape::Box;
  std::variant<Dot, Line, Box> value{};
  bool operator==(const Shape&) const = default;
};

// Externally tagged.
struct Command {
  struct Move {
    std::int64_t by = 0;
    bool operator==(const Move&) const = default;
  };
  struct Draw {
    Shape shape{};
    std::vector<Pin> pins{};
    bool operator==(const Draw&) const = default;
  };
};
struct Order {
  std::variant<Command::Move, Command::Draw> value{};
  bool operator==(const Order&) const = default;
};

}  // namespace json_fixtures

JSON_DECLARE_CODEC(json_fixtures::Colour);
JSON_DECLARE_CODEC(json_fixtures::Pin);
JSON_DECLARE_CODEC(json_fixtures::Shape);
JSON_DECLARE_CODEC(json_fixtures::Order);
