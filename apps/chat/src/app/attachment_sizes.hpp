#pragma once
// How much room an attachment preview takes in a message row, for a given available width.

#include <cstdint>

#include "doc/message_records.hpp"

namespace chat::app {

struct PreviewSize {
  double width = 0;
  double height = 0;
};

// At most 380 wide and 210 high, keeping the picture's proportions (a side of 0 counts as 1).
PreviewSize image_preview_size(std::uint32_t w, std::uint32_t h, double available);
// As an image when both sides are known, else 16:9.
PreviewSize video_preview_size(std::uint32_t w, std::uint32_t h, double available);
// Image, video, or a file card 58 × s high.
PreviewSize attachment_preview_size(const doc::Attachment& attachment, double available,
                                    double scale);
// The preview and the caption line under it.
double attachment_block_height(const doc::Attachment& attachment, double available, double scale);

}  // namespace chat::app
