// Makes the pictures of the settings dialog and its buttons and writes them as
// PNG files into the given folder:
//   button_normal.png            64x25  dark blue rounded frame on cream
//   button_highlight.png         64x25  the same frame with an orange-to-yellow glow
//   button_highlight_select.png  64x25  the same image as button_highlight.png
//   button_selected.png          64x25  the frame with a light blue glow
//   button_pressed.png           64x25  darker frame, inset shadowed interior
//   button_disable.png           64x25  grey frame on a pale ground
//   box_empty.png                12x12  selection box, not selected
//   box_filled.png               12x12  selection box filled with blue
//   metal_strip.png             556x20  light grey brushed metal
//   oruna_icon.png               32x32  glowing star (window icon, with alpha)
//   oruna_icon.ico               32x32  the same star as a Windows icon file
//                                        (the program icon of Oruna.scr)
//   oruna_icon_<N>.png           NxN    the same star at the other sizes Linux
//                                        desktops show a menu entry at
//                                        (16, 22, 24, 48, 64, 128, 256)
// The button pictures are only used along their 4-pixel rim (their middle is
// covered by the button's own gradient) and are transparent outside their
// rounded corners. Output is deterministic.
//   oruna_generate_ui_art <repository>/assets/ui
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "art_common.h"

namespace {

using art::Clamp01;

struct Color {
  double r = 0, g = 0, b = 0;
};

Color Mix(const Color& a, const Color& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Image {
  int width = 0, height = 0, channels = 3;
  std::vector<uint8_t> pixels;
  Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<size_t>(w * h * c)) {}
  void Set(int x, int y, const Color& c, double alpha = 1) {
    uint8_t* p = &pixels[static_cast<size_t>((y * width + x) * channels)];
    p[0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 255.0)));
    p[1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 255.0)));
    p[2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 255.0)));
    if (channels == 4) p[3] = static_cast<uint8_t>(std::lround(Clamp01(alpha) * 255));
  }
};

constexpr art::HashKeys kHashKeys = {0x9e3779b1u, 0x85ebca77u, 0xc2b2ae3du, 15, 0x2c1b3c6du, 12, 0x297a2d39u, 15};

double Hash01(uint32_t x, uint32_t y, uint32_t seed) { return art::Hash01(x, y, seed, kHashKeys); }

// Smooth 1-D value noise along x, one lattice point every `cell` pixels.
double Noise1(double x, double cell, uint32_t row, uint32_t seed) {
  const double f = x / cell;
  const int i = static_cast<int>(std::floor(f));
  const double t = f - i;
  const double s = t * t * (3 - 2 * t);
  return Hash01(static_cast<uint32_t>(i), row, seed) * (1 - s) + Hash01(static_cast<uint32_t>(i + 1), row, seed) * s;
}

// Signed distance from a pixel centre to the outline of a rounded rectangle
// covering the whole picture: negative inside.
double RoundedRectDistance(double px, double py, double w, double h, double radius) {
  const double qx = std::abs(px - w / 2) - (w / 2 - radius);
  const double qy = std::abs(py - h / 2) - (h / 2 - radius);
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// ---- Button frames ------------------------------------------------------

struct FrameStyle {
  Color border;
  Color ground_top, ground_bottom;  // the cream (or pale) ground, top row to bottom row
  Color glow_top, glow_bottom;      // inner glow colour along the height
  double glow_strength = 0;         // 0: no glow
  bool inset = false;               // shadow along the top and left inner edge
};

// The pictures are RGBA: outside the rounded corners they are transparent
// (partly so along the curve), so that the button's copy of a corner lets
// the form behind it show there.
Image MakeFrame(const FrameStyle& style) {
  constexpr int kW = 64, kH = 25;
  constexpr double kRadius = 3.2;
  Image image(kW, kH, 4);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      // Sixteen samples per pixel smooth the rounded corners.
      Color sum{};
      int inside = 0;
      for (int s = 0; s < 16; ++s) {
        const double px = x + 0.125 + 0.25 * (s & 3), py = y + 0.125 + 0.25 * (s >> 2);
        const double d = RoundedRectDistance(px, py, kW, kH, kRadius);
        if (d > 0) continue;
        const double v = py / kH;
        Color c = Mix(style.ground_top, style.ground_bottom, v);
        const double depth = -d - 1;  // distance inside the 1-pixel border
        if (style.glow_strength > 0 && depth >= 0) {
          const double glow = style.glow_strength * std::exp(-depth * 0.9);
          c = Mix(c, Mix(style.glow_top, style.glow_bottom, v), Clamp01(glow));
        }
        if (style.inset && depth >= 0) {
          const double from_top = py - 1, from_left = px - 1;
          const double shade = 0.35 * std::exp(-std::min(from_top, from_left) * 0.8);
          c = Mix(c, Color{120, 118, 110}, Clamp01(shade));
        }
        if (d > -1) c = style.border;
        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        ++inside;
      }
      if (inside == 0) {
        image.Set(x, y, style.border, 0);
      } else {
        image.Set(x, y, {sum.r / inside, sum.g / inside, sum.b / inside}, inside / 16.0);
      }
    }
  }
  return image;
}

const Color kBorderBlue{0, 60, 116};
const Color kCreamTop{255, 254, 248}, kCreamBottom{236, 234, 220};

Image MakeNormal() { return MakeFrame({kBorderBlue, kCreamTop, kCreamBottom, {}, {}, 0, false}); }
Image MakeHighLight() {
  return MakeFrame({kBorderBlue, kCreamTop, kCreamBottom, {255, 226, 120}, {232, 146, 20}, 1.0, false});
}
Image MakeSelected() {
  return MakeFrame({kBorderBlue, kCreamTop, kCreamBottom, {202, 226, 255}, {112, 150, 236}, 1.0, false});
}
Image MakePressed() {
  return MakeFrame({{0, 38, 80}, {222, 220, 210}, {240, 238, 230}, {}, {}, 0, true});
}
Image MakeDisable() { return MakeFrame({{201, 199, 186}, {245, 244, 234}, {245, 244, 234}, {}, {}, 0, false}); }

// ---- Selection boxes ----------------------------------------------------

Image MakeBox(bool filled) {
  constexpr int kSize = 12;
  Image image(kSize, kSize, 3);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double v = y / double(kSize - 1);
      Color c = Mix(Color{220, 221, 216}, Color{255, 255, 255}, v);  // sunken white well
      const bool border = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
      if (border) c = {28, 81, 128};
      const bool mark = x >= 3 && y >= 3 && x <= kSize - 4 && y <= kSize - 4;
      if (filled && mark) {
        c = Mix(Color{86, 150, 246}, Color{16, 64, 186}, (y - 3) / 5.0);
        if (x == 3 || y == 3) c = Mix(c, Color{255, 255, 255}, 0.25);  // a little light on the mark
      }
      image.Set(x, y, c);
    }
  }
  return image;
}

// ---- Brushed metal strip ------------------------------------------------

Image MakeMetalStrip() {
  constexpr int kW = 556, kH = 20;
  Image image(kW, kH, 3);
  for (int y = 0; y < kH; ++y) {
    const double row = Hash01(0, static_cast<uint32_t>(y), 7) - 0.5;
    for (int x = 0; x < kW; ++x) {
      // Long streaks along x, a finer grain, and a faint sheen across the strip.
      const double streak = Noise1(x, 37, static_cast<uint32_t>(y), 11) - 0.5;
      const double fibre = Noise1(x, 5, static_cast<uint32_t>(y), 13) - 0.5;
      const double grain = Hash01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 17) - 0.5;
      const double sheen = std::sin(x / double(kW) * 3.14159265) * 4;
      const double v = 222 + row * 7 + streak * 9 + fibre * 4 + grain * 3 + sheen;
      image.Set(x, y, {v - 1, v, v + 3});
    }
  }
  return image;
}

// ---- Window icon --------------------------------------------------------

// The star is drawn in units of its radius, so every size shows the same
// picture (the 32-pixel one is the window and program icon).
Image MakeIconOfSize(int size) {
  Image image(size, size, 4);
  const double c = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - c, dy = y + 0.5 - c;
      const double r = std::hypot(dx, dy) / c;
      const double angle = std::atan2(dy, dx);
      // A bright disc, a soft corona and eight faint rays.
      const double disc = Clamp01((0.46 - r) * 14);
      const double rays = std::pow(std::abs(std::cos(angle * 4)), 12) * Clamp01(1 - r) * 0.8;
      const double corona = std::exp(-std::pow(std::max(r - 0.4, 0.0) * 4.2, 2)) * 0.85;
      const double alpha = Clamp01(std::max({disc, corona, rays}));
      Color colour = Mix(Color{255, 120, 20}, Color{255, 246, 190}, Clamp01(1 - r * 2.1));
      if (disc < 1) colour = Mix(Color{240, 90, 10}, colour, disc);
      image.Set(x, y, colour, alpha);
    }
  }
  return image;
}

Image MakeIcon() { return MakeIconOfSize(32); }

constexpr int kMenuIconSizes[] = {16, 22, 24, 48, 64, 128, 256};

bool WritePng(const std::string& path, const Image& image) {
  return stbi_write_png(path.c_str(), image.width, image.height, image.channels, image.pixels.data(),
                        image.width * image.channels) != 0;
}

// A Windows icon file with one 32-bit image: the 6-byte directory header, one
// 16-byte entry, then the image as a bottom-up BGRA bitmap (its header gives
// twice the height, for the colour rows and the 1-bit mask rows that follow
// them). The alpha channel carries the shape, so the mask stays all zero.
bool WriteIco(const std::string& path, const Image& image) {
  if (image.channels != 4 || image.width > 256 || image.height > 256) return false;
  std::vector<uint8_t> out;
  auto put16 = [&](uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const uint32_t mask_row = ((static_cast<uint32_t>(image.width) + 31) / 32) * 4;
  const uint32_t image_bytes = static_cast<uint32_t>(image.width * image.height * 4) + mask_row * image.height;
  put16(0);  // reserved
  put16(1);  // icon
  put16(1);  // one image
  out.push_back(static_cast<uint8_t>(image.width % 256));
  out.push_back(static_cast<uint8_t>(image.height % 256));
  out.push_back(0);  // no palette
  out.push_back(0);
  put16(1);   // planes
  put16(32);  // bits per pixel
  put32(40 + image_bytes);
  put32(6 + 16);  // the image follows the directory
  put32(40);
  put32(static_cast<uint32_t>(image.width));
  put32(static_cast<uint32_t>(image.height * 2));
  put16(1);
  put16(32);
  for (int i = 0; i < 6; ++i) put32(0);  // no compression, sizes and colours unused
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.pixels[static_cast<size_t>((y * image.width + x) * 4)];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  out.insert(out.end(), static_cast<size_t>(mask_row) * image.height, 0);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  const art::NamedPicture<Image> pictures[] = {{"button_normal.png", MakeNormal},
                                               {"button_highlight.png", MakeHighLight},
                                               {"button_highlight_select.png", MakeHighLight},
                                               {"button_selected.png", MakeSelected},
                                               {"button_pressed.png", MakePressed},
                                               {"button_disable.png", MakeDisable},
                                               {"box_empty.png", [] { return MakeBox(false); }},
                                               {"box_filled.png", [] { return MakeBox(true); }},
                                               {"metal_strip.png", MakeMetalStrip},
                                               {"oruna_icon.png", MakeIcon}};
  if (!art::WriteAll(folder, pictures, WritePng)) return 1;
  for (const int size : kMenuIconSizes) {
    const std::string path = folder + "/oruna_icon_" + std::to_string(size) + ".png";
    if (!art::Reported(WritePng(path, MakeIconOfSize(size)), path)) return 1;
  }
  const std::string icon = folder + "/oruna_icon.ico";
  return art::Reported(WriteIco(icon, MakeIcon()), icon) ? 0 : 1;
}
