#include "app/attachment_sizes.hpp"

#include <algorithm>
#include <type_traits>
#include <variant>

namespace chat::app {

PreviewSize image_preview_size(std::uint32_t w, std::uint32_t h, double available) {
  const double pw = std::max<double>(w, 1), ph = std::max<double>(h, 1);
  PreviewSize size{std::min(available, 380.0), 0};
  size.height = size.width * ph / pw;
  if (size.height > 210) size = {210 * pw / ph, 210};
  return size;
}

PreviewSize video_preview_size(std::uint32_t w, std::uint32_t h, double available) {
  if (w != 0 && h != 0) return image_preview_size(w, h, available);
  PreviewSize size{std::min(available, 380.0), 0};
  size.height = size.width * 9 / 16;
  if (size.height > 210) size = {210.0 * 16 / 9, 210};
  return size;
}

PreviewSize attachment_preview_size(const doc::Attachment& attachment, double available,
                                    double scale) {
  return std::visit(
      [&](const auto& a) -> PreviewSize {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, doc::Attachment::Image>) {
          return image_preview_size(a.w, a.h, available);
        } else if constexpr (std::is_same_v<T, doc::Attachment::Video>) {
          return video_preview_size(a.w, a.h, available);
        } else {
          return {std::min(available, 360.0), 58 * scale};
        }
      },
      attachment.value);
}

double attachment_block_height(const doc::Attachment& attachment, double available, double scale) {
  const bool file = std::holds_alternative<doc::Attachment::File>(attachment.value);
  return attachment_preview_size(attachment, available, scale).height + (file ? 12 : 24) * scale;
}

}  // namespace chat::app
