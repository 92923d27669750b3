// An optional value kept on the heap. A message record has a few large parts that most
// messages lack (an attachment, agent work, a reference); held inline they would make every
// record several times its usual size, and the window walks a conversation's records several
// times a frame. Copies are deep, and compare by value like std::optional.
#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace chat::doc {

template <class T>
class Boxed {
 public:
  Boxed() = default;
  Boxed(std::nullopt_t) {}
  Boxed(const T& value) : value_(std::make_unique<T>(value)) {}
  Boxed(T&& value) : value_(std::make_unique<T>(std::move(value))) {}
  Boxed(const std::optional<T>& value) {
    if (value) value_ = std::make_unique<T>(*value);
  }
  Boxed(std::optional<T>&& value) {
    if (value) value_ = std::make_unique<T>(std::move(*value));
  }
  Boxed(const Boxed& other) : Boxed() {
    if (other.value_) value_ = std::make_unique<T>(*other.value_);
  }
  Boxed(Boxed&&) noexcept = default;
  ~Boxed() = default;

  // Assigns into the held value when both have one, so a record assigned over another keeps
  // its storage.
  Boxed& operator=(const Boxed& other) {
    if (this == &other) return *this;
    if (other.value_) {
      assign(*other.value_);
    } else {
      value_.reset();
    }
    return *this;
  }
  Boxed& operator=(Boxed&&) noexcept = default;
  Boxed& operator=(std::nullopt_t) {
    value_.reset();
    return *this;
  }
  Boxed& operator=(T value) {
    assign(std::move(value));
    return *this;
  }
  Boxed& operator=(std::optional<T>&& value) {
    if (value) {
      assign(std::move(*value));
    } else {
      value_.reset();
    }
    return *this;
  }
  Boxed& operator=(const std::optional<T>& value) {
    if (value) {
      assign(*value);
    } else {
      value_.reset();
    }
    return *this;
  }

  bool has_value() const { return value_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return value_.get(); }
  const T* operator->() const { return value_.get(); }
  void reset() { value_.reset(); }

  friend bool operator==(const Boxed& a, const Boxed& b) {
    if (!a.value_ || !b.value_) return !a.value_ && !b.value_;
    return *a.value_ == *b.value_;
  }
  friend bool operator==(const Boxed& a, const std::optional<T>& b) {
    if (!a.value_ || !b) return !a.value_ && !b;
    return *a.value_ == *b;
  }
  friend bool operator==(const Boxed& a, const T& b) { return a.value_ && *a.value_ == b; }
  friend bool operator==(const Boxed& a, std::nullopt_t) { return !a.value_; }

 private:
  template <class U>
  void assign(U&& value) {
    if (value_) {
      *value_ = std::forward<U>(value);
    } else {
      value_ = std::make_unique<T>(std::forward<U>(value));
    }
  }

  std::unique_ptr<T> value_;
};

}  // namespace chat::doc
