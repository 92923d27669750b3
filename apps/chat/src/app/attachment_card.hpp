#pragma once
// How an attachment is presented in a message: a picture, a video card, a file card, or a lock
// card when the viewer may not see the blob.

#include <cstdint>
#include <string>
#include <string_view>

#include <vdoc/blob_store.hpp>
#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "doc/message_records.hpp"

namespace chat::app {

namespace format {
// A byte count for people: "512 B", "2.0 KB", "3.5 MB", "1.2 GB" (powers of 1024).
std::string bytes(std::uint64_t count);
}  // namespace format

// The blob an attachment's bytes are stored under, whatever its kind.
const std::string& attachment_blob(const doc::Attachment& attachment);
const std::string& attachment_name(const doc::Attachment& attachment);

// "PDF · 2.0 KB" for "report.pdf"; the size alone when the name has no extension.
std::string file_detail_text(std::string_view name, std::uint64_t size);
// The line under a picture or video: its pixel size, and a video's byte size.
std::string preview_detail_text(const doc::Attachment& attachment);
// What an image placeholder says while its picture is not decoded.
std::string image_status_text(std::string_view blob, vdoc::blobstore::BlobState state);

// Paints the attachment with its top-left at (x, y) in `available` width.
void draw_attachment_card(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                          const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                          const doc::Attachment& attachment, double x, double y, double available);

}  // namespace chat::app
