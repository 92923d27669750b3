#include "media/image_sources.hpp"

#include <algorithm>
#include <cctype>

#include <vdoc/blob_store.hpp>

#include "media/demo_pictures.hpp"

namespace chat::media {

std::string attachment_image_url(std::string_view blob) {
  if (blob.starts_with(kDemoScheme)) return std::string(blob);
  std::string url(kBlobScheme);
  url += blob;
  return url;
}

bool can_view_blob(const vesk_ui::PermissionContext& permissions, std::string_view blob) {
  const bool blob_id = blob.size() == 64 && std::all_of(blob.begin(), blob.end(), [](char c) {
                         return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                       });
  if (!blob_id && blob != kCallGridAddress && blob != kSharedShotAddress) return false;
  return permissions.check({0, 0});
}

std::optional<ImageBytes> resolve_image_source(std::string_view address) {
  if (address.starts_with(kDemoScheme)) {
    const std::string_view name = address.substr(kDemoScheme.size());
    if (name == "call-grid") {
      const RgbaCanvas canvas = draw_call_grid();
      return encode_png(canvas.pixels(), canvas.width(), canvas.height());
    }
    if (name == "shared-shot") {
      const RgbaCanvas canvas = draw_shared_shot();
      return encode_png(canvas.pixels(), canvas.width(), canvas.height());
    }
    return std::nullopt;
  }
  if (address.starts_with(kBlobScheme)) {
    return vdoc::blobstore::get(address.substr(kBlobScheme.size()));
  }
  return std::nullopt;
}

}  // namespace chat::media
