#include "vesk_ui/image_store.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>

#include "vesk_ui/text_layout.hpp"

namespace vesk_ui {

namespace {

using PixbufLoaderPtr = std::unique_ptr<GdkPixbufLoader, GObjectDeleter>;
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectDeleter>;

void limit_size(GdkPixbufLoader* loader, int width, int height, gpointer data) {
  int max_side = *static_cast<int*>(data);
  int longest = std::max(width, height);
  if (longest <= max_side || longest <= 0) return;
  double scale = static_cast<double>(max_side) / longest;
  gdk_pixbuf_loader_set_size(loader, std::max(1, static_cast<int>(width * scale)),
                             std::max(1, static_cast<int>(height * scale)));
}

}  // namespace

std::shared_ptr<const Image> decode_image(std::span<const std::uint8_t> bytes, int max_side) {
  if (bytes.empty()) return nullptr;
  PixbufLoaderPtr loader(gdk_pixbuf_loader_new());
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(limit_size), &max_side);
  GError* error = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
  if (error) g_clear_error(&error);
  // Close even after a failed write: the loader complains when dropped open.
  bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
  if (error) g_clear_error(&error);
  if (!ok || !closed) return nullptr;
  GdkPixbuf* loaded = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!loaded) return nullptr;
  PixbufPtr oriented(gdk_pixbuf_apply_embedded_orientation(loaded));
  if (!oriented) return nullptr;
  PixbufPtr rgba(gdk_pixbuf_get_has_alpha(oriented.get())
                     ? static_cast<GdkPixbuf*>(g_object_ref(oriented.get()))
                     : gdk_pixbuf_add_alpha(oriented.get(), FALSE, 0, 0, 0));
  if (!rgba || gdk_pixbuf_get_n_channels(rgba.get()) != 4 ||
      gdk_pixbuf_get_bits_per_sample(rgba.get()) != 8) {
    return nullptr;
  }
  int w = gdk_pixbuf_get_width(rgba.get());
  int h = gdk_pixbuf_get_height(rgba.get());
  int stride = gdk_pixbuf_get_rowstride(rgba.get());
  gsize length = 0;
  const guint8* pixels = gdk_pixbuf_read_pixels(rgba.get());
  length = gdk_pixbuf_get_byte_length(rgba.get());
  return Image::from_rgba({pixels, length}, w, h, stride, true);
}

ImageStore::ImageStore(Resolver resolver)
    : resolver_(std::move(resolver)), loader_([this] { run(); }) {}

ImageStore::~ImageStore() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_cv_.notify_all();
  loader_.join();
}

ImageStore::Lookup ImageStore::get(std::string_view address) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(address);
  if (it != entries_.end()) return it->second;
  entries_.emplace(std::string(address), Lookup{});
  queue_.emplace_back(address);
  work_cv_.notify_one();
  return {};
}

bool ImageStore::is_idle() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() && in_flight_ == 0;
}

bool ImageStore::block_until_idle(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return idle_cv_.wait_for(lock, limit, [this] { return queue_.empty() && in_flight_ == 0; });
}

void ImageStore::run() {
  std::unique_lock lock(mutex_);
  while (true) {
    work_cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    std::string address = std::move(queue_.front());
    queue_.pop_front();
    ++in_flight_;
    lock.unlock();

    Lookup result{State::Failed, nullptr};
    try {
      if (resolver_) {
        if (std::optional<Bytes> bytes = resolver_(address)) {
          if (auto image = decode_image(*bytes)) result = {State::Ready, std::move(image)};
        }
      }
    } catch (...) {
      // A resolver that throws is a failed load, like one that finds nothing.
    }

    lock.lock();
    entries_[address] = std::move(result);
    --in_flight_;
    if (queue_.empty() && in_flight_ == 0) idle_cv_.notify_all();
  }
}

}  // namespace vesk_ui
