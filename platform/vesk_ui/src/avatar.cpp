#include "vesk_ui/avatar.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <vector>

namespace vesk_ui {

namespace {

void append_utf8(std::string& out, UChar32 c) {
  char buf[U8_MAX_LENGTH];
  int32_t len = 0;
  UBool error = false;
  U8_APPEND(buf, len, U8_MAX_LENGTH, c, error);
  if (!error) out.append(buf, static_cast<std::size_t>(len));
}

}  // namespace

std::string Avatar::initials_for_name(std::string_view name) {
  // First letter of each word; a word starts after whitespace or punctuation.
  std::vector<UChar32> firsts;
  bool in_word = false;
  int32_t i = 0;
  const auto* s = reinterpret_cast<const uint8_t*>(name.data());
  int32_t n = static_cast<int32_t>(name.size());
  while (i < n) {
    UChar32 c;
    U8_NEXT(s, i, n, c);
    if (c < 0) {
      in_word = false;
      continue;
    }
    if (u_isalpha(c) || u_isdigit(c)) {
      if (!in_word && u_isalpha(c)) firsts.push_back(c);
      in_word = true;
    } else if (u_isspace(c) || u_ispunct(c)) {
      in_word = false;
    }
  }
  std::string out;
  if (firsts.empty()) return out;
  append_utf8(out, u_toupper(firsts.front()));
  if (firsts.size() > 1) append_utf8(out, u_toupper(firsts.back()));
  return out;
}

void Avatar::draw_at(Painter& painter, const Rect& square, std::string_view initials, Color fill) {
  if (square.is_empty()) return;
  double radius = std::min(square.width(), square.height()) / 2;
  Point c = square.center();
  painter.scene.fill(painter.transform, Path::circle(c.x, c.y, radius), fill);
  if (initials.empty()) return;
  double size = std::max(1.0, radius * 0.82);
  auto layout = painter.text.shape(initials, size, 2);
  Color ink =
      contrast_ratio(Color{1, 1, 1, 1}, fill) >= contrast_ratio(Color{0.1f, 0.1f, 0.12f, 1}, fill)
          ? Color{1, 1, 1, 1}
          : Color{0.1f, 0.1f, 0.12f, 1};
  painter.text.draw(painter.scene, painter.transform, *layout,
                    {c.x - layout->width() / 2, c.y - layout->height() / 2}, ink);
}

}  // namespace vesk_ui
