#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "vesk_ui/image.hpp"

namespace vesk_ui {

// Decodes PNG, JPEG, GIF, WebP, BMP (whatever gdk-pixbuf has loaders for). Pictures larger
// than `max_side` on their long side are scaled down while decoding, so a hostile header
// cannot make us allocate gigabytes. None for bytes that are not a picture.
std::shared_ptr<const Image> decode_image(std::span<const std::uint8_t> bytes, int max_side = 2048);

// Images by address, loaded in the background: the first `get` of an address queues it, the
// loader thread asks the resolver for the bytes and decodes them, and later `get`s return the
// picture. A failed load is remembered and not tried again.
class ImageStore {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Resolver = std::function<std::optional<Bytes>(std::string_view address)>;
  enum class State { Loading, Ready, Failed };
  struct Lookup {
    State state = State::Loading;
    std::shared_ptr<const Image> image;
    bool ready() const { return state == State::Ready; }
  };

  explicit ImageStore(Resolver resolver);
  ImageStore(const ImageStore&) = delete;
  ImageStore& operator=(const ImageStore&) = delete;
  ~ImageStore();

  // Never blocks on loading.
  Lookup get(std::string_view address);
  // Nothing queued and nothing being loaded.
  bool is_idle() const;
  // Waits until idle or until `limit` has passed; returns whether it is idle.
  bool block_until_idle(std::chrono::milliseconds limit) const;

 private:
  void run();

  Resolver resolver_;
  mutable std::mutex mutex_;
  std::condition_variable work_cv_;
  mutable std::condition_variable idle_cv_;
  std::map<std::string, Lookup, std::less<>> entries_;
  std::deque<std::string> queue_;
  int in_flight_ = 0;
  bool stopping_ = false;
  std::thread loader_;
};

}  // namespace vesk_ui
