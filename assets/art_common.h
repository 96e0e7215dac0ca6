// What both art generators share: the integer hash of a lattice point and a
// seed that all their randomness comes from (each generator keeps its own
// constants, `HashKeys`, so each makes exactly the pictures it always has),
// and the loop that writes each picture into the output folder.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace art {

// Multipliers and shifts of a multiply-xorshift hash.
struct HashKeys {
  uint32_t x, y, seed;        // spread the three inputs before they are mixed
  int shift1;
  uint32_t multiply1;
  int shift2;
  uint32_t multiply2;
  int shift3;
};

inline uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed, const HashKeys& keys) {
  uint32_t h = x * keys.x ^ y * keys.y ^ seed * keys.seed;
  h ^= h >> keys.shift1;
  h *= keys.multiply1;
  h ^= h >> keys.shift2;
  h *= keys.multiply2;
  h ^= h >> keys.shift3;
  return h;
}

inline double Hash01(uint32_t x, uint32_t y, uint32_t seed, const HashKeys& keys) {
  return Hash(x, y, seed, keys) / 4294967296.0;
}

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Says whether the file at `path` was written; returns `written`.
inline bool Reported(bool written, const std::string& path) {
  if (written) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  }
  return written;
}

// A picture's file name and the function that makes it.
template <typename Image>
struct NamedPicture {
  const char* name;
  Image (*make)();
};

// Makes each picture and writes it with `write` into `folder`; false at the
// first file that cannot be written.
template <typename Image, size_t N>
bool WriteAll(const std::string& folder, const NamedPicture<Image> (&pictures)[N],
              bool (*write)(const std::string&, const Image&)) {
  for (const NamedPicture<Image>& picture : pictures) {
    const std::string path = folder + "/" + picture.name;
    if (!Reported(write(path, picture.make()), path)) return false;
  }
  return true;
}

}  // namespace art
