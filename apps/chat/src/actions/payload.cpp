#include "actions/payload.hpp"

#include "json/unions.hpp"

namespace chat::actions {
namespace {

using json::field;

constexpr auto attachment_schema = json::external_union(
    "Attachment", &Attachment::value,
    json::variant_record<Attachment::Image>(
        "Image", field("name", &Attachment::Image::name), field("blob", &Attachment::Image::blob),
        field("w", &Attachment::Image::w), field("h", &Attachment::Image::h)),
    json::variant_record<Attachment::Video>(
        "Video", field("name", &Attachment::Video::name), field("blob", &Attachment::Video::blob),
        field("w", &Attachment::Video::w), field("h", &Attachment::Video::h),
        field("size", &Attachment::Video::size)),
    json::variant_record<Attachment::File>("File", field("name", &Attachment::File::name),
                                           field("blob", &Attachment::File::blob),
                                           field("size", &Attachment::File::size)));

constexpr auto mention_schema =
    json::record<Mention>("Mention", field("user", &Mention::user), field("start", &Mention::start),
                          field("len", &Mention::len), field("is_agent", &Mention::is_agent));

constexpr auto span_unit_schema = json::unit_enum<SpanUnit>("SpanUnit", "Chars", "Bytes");

constexpr auto span_schema = json::record<Span>(
    "Span", field("start", &Span::start), field("end", &Span::end), field("unit", &Span::unit));

constexpr auto resource_ref_schema = json::record<ResourceRef>(
    "ResourceRef", field("kind", &ResourceRef::kind), field("id", &ResourceRef::id),
    field("label", &ResourceRef::label), field("span", &ResourceRef::span));

constexpr auto channel_kind_schema = json::unit_enum<ChannelKind>("ChannelKind", "Text", "Voice");

}  // namespace
}  // namespace chat::actions

JSON_DEFINE_CODEC(chat::actions::Attachment, chat::actions::attachment_schema)
JSON_DEFINE_CODEC(chat::actions::Mention, chat::actions::mention_schema)
JSON_DEFINE_CODEC(chat::actions::SpanUnit, chat::actions::span_unit_schema)
JSON_DEFINE_CODEC(chat::actions::Span, chat::actions::span_schema)
JSON_DEFINE_CODEC(chat::actions::ResourceRef, chat::actions::resource_ref_schema)
JSON_DEFINE_CODEC(chat::actions::ChannelKind, chat::actions::channel_kind_schema)
