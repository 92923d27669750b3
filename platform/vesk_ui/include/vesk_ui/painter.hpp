#pragma once

#include "vesk_ui/geometry.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_renderer.hpp"

namespace vesk_ui {

// What a widget needs to paint itself: the scene, the text renderer and the transform from its
// coordinates to the scene's. Borrowed for one frame.
struct Painter {
  Scene& scene;
  TextRenderer& text;
  Affine transform = Affine::identity();
};

}  // namespace vesk_ui
