#include "fixtures.hpp"

#include "json/unions.hpp"

namespace json_fixtures {
namespace {

using json::field;

constexpr auto colour_schema =
    json::unit_enum<Colour>("Colour", "red", "green").shown_as("Red", "Green");

constexpr auto pin_schema = json::record<Pin>(
    "Pin", field("x", &Pin::x), field("name", &Pin::name).defaulted(), field("note", &Pin::note),
    field("tags", &Pin::tags).defaulted().omitted_when_empty(),
    field("colour", &Pin::colour).defaulted().omitted_when_empty());

constexpr auto shape_schema = json::internal_union(
    "Shape", "kind", &Shape::value, json::tagged_variant<Shape::Dot>("Dot", "dot"),
    json::tagged_variant<Shape::Line>("Line", "line", field("length", &Shape::Line::length)),
    json::tagged_variant<Shape::Box>("Box", "box", field("w", &Shape::Box::w),
                                     field("h", &Shape::Box::h)));

constexpr auto order_schema = json::external_union(
    "Order", &Order::value,
    json::variant_record<Command::Move>("Move", field("by", &Command::Move::by)),
    json::variant_record<Command::Draw>("Draw", field("shape", &Command::Draw::shape),
                                        field("pins", &Command::Draw::pins).defaulted()));

}  // namespace
}  // namespace json_fixtures

JSON_DEFINE_CODEC(json_fixtures::Colour, json_fixtures::colour_schema)
JSON_DEFINE_CODEC(json_fixtures::Pin, json_fixtures::pin_schema)
JSON_DEFINE_CODEC(json_fixtures::Shape, json_fixtures::shape_schema)
JSON_DEFINE_CODEC(json_fixtures::Order, json_fixtures::order_schema)
