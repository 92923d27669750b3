// Decodes arbitrary bytes as a ChatAction. Every success must re-encode to text that decodes
// to an equal value, with the value form serialising to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "actions/chat_action.hpp"
#include "json/json.hpp"

namespace {

[[noreturn]] void stop(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", what, text.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using chat::actions::ChatAction;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto decoded = json::decode<ChatAction>(input);
  if (!decoded.ok()) {
    const std::string shown = decoded.error().display();
    if (shown.empty()) stop("empty error text", std::string(input));
    return 0;
  }
  const std::string text = json::to_text(decoded.value());
  const auto again = json::decode<ChatAction>(text);
  if (!again.ok()) stop("re-encoded text does not decode", text + "\n" + again.error().display());
  if (!(again.value() == decoded.value())) stop("re-decoded value differs", text);
  if (json::to_text(again.value()) != text) stop("encoding is not stable", text);
  if (json::to_value(decoded.value()).dump() != text) stop("value form differs", text);
  (void)json::debug_text(decoded.value());
  return 0;
}
