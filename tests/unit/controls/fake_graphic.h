// A picture's graphic for the tests: a kind, a size and one colour for every pixel but the
// bottom-left one.
#pragma once

#include <memory>

#include "controls/canvas.h"

namespace qv::test {

class FakeGraphic : public Graphic {
 public:
  FakeGraphic(GraphicKind kind, int w, int h, Color bottomLeft = 0x00FF00, bool mono = false)
      : kind_(kind), w_(w), h_(h), bottomLeft_(bottomLeft), mono_(mono) {}
  GraphicKind Kind() const override { return kind_; }
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  bool Monochrome() const override { return mono_; }
  Color Pixel(int x, int y) const override {
    return (x == 0 && y == h_ - 1) ? bottomLeft_ : 0x123456;
  }

 private:
  GraphicKind kind_;
  int w_, h_;
  Color bottomLeft_;
  bool mono_;
};

inline Picture PictureOf(GraphicKind kind, int w, int h, Color bottomLeft = 0x00FF00,
                         bool mono = false) {
  Picture p;
  p.SetGraphic(std::make_shared<FakeGraphic>(kind, w, h, bottomLeft, mono));
  return p;
}

}  // namespace qv::test
