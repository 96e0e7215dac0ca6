// Makes the screen saver's built-in pictures from procedural noise and writes
// them as baseline JPEG files (3 components) into the given folder:
//   corona.jpg     128x128  mottled fiery orange-yellow surface (corona quads)
//   backdrop.jpg   256x256  spiral galaxy on a black star field (backdrop wall)
//   sphere.jpg      64x64   mottled orange-red surface (the star's sphere)
//   particles.jpg   64x64   soft grey-white puff of smoke on black (sparks)
//   preview.jpg    152x112  glowing red-orange star disc on black (preview)
// The output is deterministic: every random choice comes from a fixed hash.
// The pictures are committed; run this only to remake them:
//   oruna_generate_art <repository>/assets
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "art_common.h"

namespace {

using art::Clamp01;

constexpr double kPi = 3.14159265358979323846;
constexpr int kJpegQuality = 92;  // above 90 the writer keeps full colour resolution

struct Color {
  double r = 0, g = 0, b = 0;
  Color operator+(const Color& o) const { return {r + o.r, g + o.g, b + o.b}; }
  Color operator*(double s) const { return {r * s, g * s, b * s}; }
  Color operator*(const Color& o) const { return {r * o.r, g * o.g, b * o.b}; }
};

Color Mix(const Color& a, const Color& b, double t) { return a * (1 - t) + b * t; }
double Smoothstep(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// ---- Randomness and noise -------------------------------------------------

constexpr art::HashKeys kHashKeys = {0x8da6b343u, 0xd8163841u, 0xcb1ab31fu, 16, 0x7feb352du, 15, 0x846ca68bu, 16};

double Hash01(uint32_t x, uint32_t y, uint32_t seed) { return art::Hash01(x, y, seed, kHashKeys); }

int Wrap(int v, int period) { return ((v % period) + period) % period; }

// Gradient noise on an integer lattice that repeats every `period` cells:
// a random slope at each lattice point, blended with a quintic curve, so
// that neither lattice lines nor blocky plateaus show. Result 0..1.
double GradientNoise(double x, double y, int period, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
  auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const double tx = x - fx, ty = y - fy;
  auto slope = [&](int dx, int dy) {
    const double angle = 2 * kPi * Hash01(Wrap(x0 + dx, period), Wrap(y0 + dy, period), seed);
    return std::cos(angle) * (tx - dx) + std::sin(angle) * (ty - dy);
  };
  const double u = fade(tx), v = fade(ty);
  const double top = slope(0, 0) + (slope(1, 0) - slope(0, 0)) * u;
  const double bottom = slope(0, 1) + (slope(1, 1) - slope(0, 1)) * u;
  return Clamp01(0.5 + 0.75 * (top + (bottom - top) * v));
}

// Fractal sum of gradient noise, 0..1. Coordinates are in cells of the first
// octave; each octave doubles the frequency and the period, so a pattern
// whose first period spans the picture tiles seamlessly.
double Fbm(double x, double y, int period, int octaves, uint32_t seed, double gain = 0.5) {
  double sum = 0, amplitude = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * GradientNoise(x, y, period, seed + 977 * i);
    norm += amplitude;
    amplitude *= gain;
    x *= 2;
    y *= 2;
    period *= 2;
  }
  return sum / norm;
}

// Stretches fbm's narrow middle-heavy range to use the whole 0..1.
double Contrast(double v, double amount) { return Clamp01(0.5 + (v - 0.5) * amount); }

// ---- Palettes --------------------------------------------------------------

struct Stop {
  double at;
  Color color;
};

Color Gradient(const std::vector<Stop>& stops, double t) {
  if (t <= stops.front().at) return stops.front().color;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const double local = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].color, stops[i].color, Smoothstep(0, 1, local));
    }
  }
  return stops.back().color;
}

// ---- Pictures ----------------------------------------------------------------

struct Image {
  int width, height;
  std::vector<Color> pixels;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  Color& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Domain-warped fbm: the noise is looked up at a place pushed around by two
// other noises, which gives the swirling, boiling look of a hot surface. All
// three repeat with `period`, so the result tiles.
double BoilingSurface(double x, double y, int period, uint32_t seed) {
  const double qx = Fbm(x, y, period, 4, seed + 11);
  const double qy = Fbm(x + 5.2, y + 1.3, period, 4, seed + 23);
  return Fbm(x + 2.5 * (qx - 0.5) * 2, y + 2.5 * (qy - 0.5) * 2, period, 5, seed + 37);
}

// Bright cells with darker lanes between them, as on a star's face.
double Granules(double x, double y, int period, uint32_t seed) {
  const double n = Fbm(x, y, period, 3, seed, 0.45);
  return Smoothstep(0.3, 0.75, n);
}

Image MakeCorona() {
  const int size = 128, period = 4;
  const std::vector<Stop> fire = {
      {0.00, {0.45, 0.06, 0.00}}, {0.30, {0.85, 0.28, 0.02}}, {0.55, {1.00, 0.58, 0.08}},
      {0.78, {1.00, 0.82, 0.28}}, {1.00, {1.00, 0.97, 0.72}}};
  Image image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size * period, v = (y + 0.5) / size * period;
      const double boil = Contrast(BoilingSurface(u, v, period, 100), 2.2);
      const double cells = Granules(u * 4, v * 4, period * 4, 300);
      const double t = Clamp01(0.18 + 0.62 * boil + 0.25 * cells);
      image.at(x, y) = Gradient(fire, t);
    }
  }
  return image;
}

Image MakeSphere() {
  const int size = 64, period = 2;
  const std::vector<Stop> ember = {
      {0.00, {0.32, 0.03, 0.01}}, {0.35, {0.68, 0.10, 0.02}}, {0.62, {0.93, 0.28, 0.04}},
      {0.85, {1.00, 0.50, 0.10}}, {1.00, {1.00, 0.70, 0.28}}};
  Image image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size * period, v = (y + 0.5) / size * period;
      const double boil = Contrast(BoilingSurface(u, v, period, 500), 2.4);
      const double cells = Granules(u * 3, v * 3, period * 3, 700);
      const double t = Clamp01(0.08 + 0.72 * boil + 0.2 * cells);
      image.at(x, y) = Gradient(ember, t);
    }
  }
  return image;
}

// A puff of smoke: a few overlapping soft lobes, eaten into by billowing
// noise, saturating softly. The rim fades out well inside the square, so
// the corners and edges of the sprite are pure black (it is added onto the
// picture, where black means invisible).
Image MakeParticles() {
  const int size = 64;
  Image image(size, size);
  const double centre = size / 2.0;
  struct Lobe {
    double x, y, sigma, weight;
  };
  std::vector<Lobe> lobes = {{0.0, 0.0, 0.34, 1.0}};
  for (int i = 0; i < 5; ++i) {
    const double angle = 2 * kPi * (i / 5.0 + 0.13 * Hash01(i, 1, 950));
    const double reach = 0.16 + 0.12 * Hash01(i, 2, 950);
    lobes.push_back({reach * std::cos(angle), reach * std::sin(angle), 0.2 + 0.08 * Hash01(i, 3, 950),
                     0.55 + 0.3 * Hash01(i, 4, 950)});
  }
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = (x + 0.5 - centre) / centre, dy = (y + 0.5 - centre) / centre;
      double density = 0;
      for (const Lobe& lobe : lobes) {
        const double ex = dx - lobe.x, ey = dy - lobe.y;
        density += lobe.weight * std::exp(-(ex * ex + ey * ey) / (2 * lobe.sigma * lobe.sigma));
      }
      const double billows = Fbm(dx * 2.2 + 11, dy * 2.2 + 17, 1 << 16, 5, 910, 0.6);
      density *= 0.2 + 1.0 * Contrast(billows, 2.0);
      const double rim = 1 - Smoothstep(0.6, 0.92, std::sqrt(dx * dx + dy * dy));
      const double v = (1 - std::exp(-1.05 * density)) * rim;
      image.at(x, y) = Color{0.92, 0.92, 0.95} * v;
    }
  }
  return image;
}

// Stars of a field: position, brightness, colour and size.
struct Star {
  double x, y, brightness, sigma;
  Color color;
};

Color StarColor(double t) {
  const std::vector<Stop> temperatures = {
      {0.0, {1.00, 0.62, 0.40}}, {0.25, {1.00, 0.85, 0.65}}, {0.55, {1.00, 1.00, 0.96}},
      {1.0, {0.70, 0.82, 1.00}}};
  return Gradient(temperatures, t);
}

std::vector<Star> MakeStars(int count, int width, int height, uint32_t seed) {
  std::vector<Star> stars;
  for (int i = 0; i < count; ++i) {
    const double r = Hash01(i, 1, seed);
    const double brightness = 0.05 + 1.5 * std::pow(r, 10.0);  // a few bright, many faint
    stars.push_back({Hash01(i, 2, seed) * width, Hash01(i, 3, seed) * height, brightness,
                     0.45 + 0.5 * std::pow(r, 4.0), StarColor(Hash01(i, 4, seed))});
  }
  return stars;
}

// Adds soft round stars; the brightest get a faint four-point glint.
void DrawStars(Image& image, const std::vector<Star>& stars) {
  for (const Star& s : stars) {
    const int reach = static_cast<int>(std::ceil(s.sigma * 4 + (s.brightness > 1.0 ? 5 : 0)));
    for (int y = static_cast<int>(s.y) - reach; y <= static_cast<int>(s.y) + reach; ++y) {
      for (int x = static_cast<int>(s.x) - reach; x <= static_cast<int>(s.x) + reach; ++x) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
        const double dx = x + 0.5 - s.x, dy = y + 0.5 - s.y;
        double light = std::exp(-(dx * dx + dy * dy) / (2 * s.sigma * s.sigma));
        if (s.brightness > 1.0) {
          const double spike = std::exp(-std::abs(dx) * 1.6) * std::exp(-dy * dy * 3) +
                               std::exp(-std::abs(dy) * 1.6) * std::exp(-dx * dx * 3);
          light += 0.25 * spike;
        }
        image.at(x, y) = image.at(x, y) + s.color * (light * s.brightness);
      }
    }
  }
}

// Light of a two-armed spiral galaxy at a point of its own plane (units of
// its radius): a warm bulge, cool clumpy arms with pink star-forming knots
// and dark dust lanes on their inner edges, and a faint old disc between.
Color GalaxyLight(double gx, double gy) {
  const double r = std::sqrt(gx * gx + gy * gy);
  const double theta = std::atan2(gy, gx);
  const double winding = 1 / std::tan(19 * kPi / 180);
  const double ragged = 1.4 * (Fbm(gx * 3 + 20, gy * 3 + 20, 1 << 16, 4, 1200) - 0.5);
  const double phase = theta - winding * std::log(r + 0.02) + ragged;
  const double arm = std::pow(0.5 + 0.5 * std::cos(2 * phase), 2.5);
  const double disc = std::exp(-r / 0.34) * (1 - Smoothstep(0.78, 1.05, r));
  const double clumps = Contrast(Fbm(gx * 9 + 3, gy * 9 + 5, 1 << 16, 5, 1300), 1.8);
  const double inner = Smoothstep(0.06, 0.2, r);  // arms begin outside the bulge

  const Color arm_blue{0.62, 0.76, 1.00}, old_disc{1.00, 0.86, 0.66}, bulge_gold{1.00, 0.87, 0.60};
  Color light = old_disc * (0.35 * disc);
  light = light + arm_blue * (2.2 * disc * arm * inner * (0.2 + 1.1 * clumps));

  const double knots = Smoothstep(0.66, 0.85, Fbm(gx * 16 + 40, gy * 16 + 9, 1 << 16, 3, 1400));
  light = light + Color{1.0, 0.32, 0.55} * (4.0 * knots * arm * disc * inner);

  const double lane = std::pow(0.5 + 0.5 * std::cos(2 * (phase - 0.42)), 6.0);
  const double dust = lane * inner * (1 - Smoothstep(0.6, 0.95, r)) *
                      (0.5 + 0.5 * Fbm(gx * 12 + 1, gy * 12 + 2, 1 << 16, 4, 1500));
  light = light * (1 - 0.75 * dust) + Color{0.05, 0.03, 0.02} * dust * disc;

  const double bulge = 2.6 * std::exp(-std::pow(r / 0.075, 0.9)) + 0.4 * std::exp(-r / 0.18);
  light = light + bulge_gold * bulge;
  const double halo = 0.06 * std::exp(-r / 0.55);
  return light + Color{0.75, 0.78, 0.95} * halo;
}

// Soft tone curve: bright parts saturate towards white instead of clipping.
Color ToneMap(const Color& c, double exposure) {
  auto curve = [exposure](double v) { return 1 - std::exp(-v * exposure); };
  return {curve(c.r), curve(c.g), curve(c.b)};
}

Image MakeBackdrop() {
  const int size = 256, samples = 3;
  Image image(size, size);
  DrawStars(image, MakeStars(650, size, size, 2000));
  // The galaxy is tilted away from the viewer and turned in the picture.
  const double angle = -32 * kPi / 180, tilt = 0.55, radius = 118, cx = 128, cy = 127;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Color sum;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          const double px = x + (sx + 0.5) / samples - cx, py = y + (sy + 0.5) / samples - cy;
          const double rx = px * std::cos(angle) - py * std::sin(angle);
          const double ry = px * std::sin(angle) + py * std::cos(angle);
          sum = sum + GalaxyLight(rx / radius, ry / (radius * tilt));
        }
      }
      const Color galaxy = ToneMap(sum * (1.0 / (samples * samples)), 1.25);
      const Color stars = image.at(x, y);
      // Stars shine through the thin outer disc but fade behind the bright core.
      image.at(x, y) = galaxy + stars * (1 - Clamp01(galaxy.r + galaxy.g));
    }
  }
  return image;
}

Image MakePreview() {
  const int width = 152, height = 112, samples = 4;
  const double cx = width / 2.0, cy = height / 2.0, radius = 33;
  const std::vector<Stop> face = {
      {0.0, {0.50, 0.05, 0.00}}, {0.45, {0.88, 0.20, 0.02}}, {0.8, {1.00, 0.45, 0.08}},
      {1.0, {1.00, 0.72, 0.32}}};
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Color sum;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          const double px = x + (sx + 0.5) / samples - cx, py = y + (sy + 0.5) / samples - cy;
          const double d = std::sqrt(px * px + py * py) / radius;
          if (d < 1) {
            // Limb darkening: the rim is seen through more of the cooler outer gas.
            const double mu = std::sqrt(1 - d * d);
            const double limb = 0.35 + 0.65 * std::pow(mu, 0.6);
            const double boil = Contrast(BoilingSurface(px / 9 + 50, py / 9 + 50, 1 << 16, 4000), 1.8);
            const double cells = Granules(px / 3.5, py / 3.5, 1 << 16, 4100);
            const double t = Clamp01(limb * (0.25 + 0.6 * boil + 0.22 * cells));
            sum = sum + Gradient(face, t) * (0.45 + 0.75 * limb);
          } else {
            // The glow: a halo that fades with distance, broken into streamers.
            const double angle = std::atan2(py, px);
            const double streak = Fbm(std::cos(angle) * 3 + 9, std::sin(angle) * 3 + 9, 1 << 16, 4, 4200);
            const double fall = std::exp(-(d - 1) * (5.5 - 2.5 * streak));
            const double rim = std::exp(-(d - 1) * 28);
            sum = sum + Color{1.0, 0.30, 0.04} * (0.85 * fall * (0.5 + 0.7 * streak)) +
                  Color{1.0, 0.5, 0.15} * (0.6 * rim);
          }
        }
      }
      image.at(x, y) = ToneMap(sum * (1.0 / (samples * samples)), 1.6);
    }
  }
  return image;
}

bool WriteJpeg(const std::string& path, const Image& image) {
  std::vector<uint8_t> bytes;
  bytes.reserve(image.pixels.size() * 3);
  for (const Color& c : image.pixels) {
    for (double v : {c.r, c.g, c.b}) {
      bytes.push_back(static_cast<uint8_t>(std::lround(Clamp01(v) * 255)));
    }
  }
  return stbi_write_jpg(path.c_str(), image.width, image.height, 3, bytes.data(), kJpegQuality) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  const art::NamedPicture<Image> pictures[] = {{"corona.jpg", MakeCorona},
                                               {"backdrop.jpg", MakeBackdrop},
                                               {"sphere.jpg", MakeSphere},
                                               {"particles.jpg", MakeParticles},
                                               {"preview.jpg", MakePreview}};
  return art::WriteAll(folder, pictures, WriteJpeg) ? 0 : 1;
}
