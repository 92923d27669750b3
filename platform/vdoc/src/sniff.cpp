#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "vdoc/blob_store.hpp"

namespace vdoc::blobstore {
namespace {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};

// Only these four are recognised: naming the loader ourselves keeps other decoders (SVG, TIFF,
// icons) from ever seeing attachment bytes.
const char* loader_for(std::span<const std::uint8_t> bytes) {
  auto starts_with = [&](std::size_t offset, std::string_view magic) {
    return bytes.size() >= offset + magic.size() &&
           std::memcmp(bytes.data() + offset, magic.data(), magic.size()) == 0;
  };
  if (starts_with(0, "\x89PNG\r\n\x1a\n")) return "png";
  if (starts_with(0, "\xff\xd8\xff")) return "jpeg";
  if (starts_with(0, "GIF87a") || starts_with(0, "GIF89a")) return "gif";
  if (starts_with(0, "RIFF") && starts_with(8, "WEBP")) return "webp";
  return nullptr;
}

struct Size {
  int width = 0;
  int height = 0;
  bool known = false;
};

void on_size_prepared(GdkPixbufLoader* /*loader*/, gint width, gint height, gpointer data) {
  auto* size = static_cast<Size*>(data);
  size->width = width;
  size->height = height;
  size->known = true;
}

}  // namespace

ImageSize sniff(std::span<const std::uint8_t> bytes) {
  const char* type = loader_for(bytes);
  if (type == nullptr) return {};
  GError* error = nullptr;
  std::unique_ptr<GdkPixbufLoader, GObjectUnref> loader(
      gdk_pixbuf_loader_new_with_type(type, &error));
  if (!loader) {
    g_clear_error(&error);
    return {};
  }
  Size size;
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(on_size_prepared), &size);
  // Feed in pieces and stop once the header has told the size: no need to decode the pixels.
  constexpr std::size_t kPiece = 64 * 1024;
  for (std::size_t offset = 0; offset < bytes.size() && !size.known; offset += kPiece) {
    const std::size_t length = std::min(kPiece, bytes.size() - offset);
    if (!gdk_pixbuf_loader_write(loader.get(), bytes.data() + offset, length, &error)) break;
  }
  g_clear_error(&error);
  gdk_pixbuf_loader_close(loader.get(), &error);  // a stop half-way is expected to complain
  g_clear_error(&error);
  if (!size.known || size.width <= 0 || size.height <= 0) return {};
  return ImageSize{static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height)};
}

}  // namespace vdoc::blobstore
