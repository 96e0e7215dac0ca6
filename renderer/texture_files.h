// The texture exchange: the saver writes four bitmaps into one directory,
// the renderer reads them. Both programs derive the directory the same way
// and trust it by the same rule, so that no other user of the machine can
// make a run read their files, or block it.
#pragma once
#include <string>
#include <vector>

namespace oruna {

// Index 1..4: corona, backdrop, sphere, particles.
constexpr int kTextureCount = 4;

// Between the directory and a file name: '/' or '\\'.
extern const char kTextureDirSeparator;

// The places the directory may be, in the order they are tried (no trailing
// separator). Linux: $XDG_RUNTIME_DIR/p_orvi, then p_orvi under the user's
// cache folder, which no other user can create first. Windows: C:\p_orvi,
// then %LOCALAPPDATA%\Oruna\p_orvi.
std::vector<std::string> TextureExchangeCandidates();

// The trust rule, applied by both programs before every use: a real
// directory (not a link or junction), owned by the user and writable by
// nobody else (POSIX: no group or other write bit; Windows: no write right
// for anyone but the user, SYSTEM and Administrators).
bool IsTrustedTextureDir(const std::string& dir);

// Makes `dir` a private directory of the user's (with the missing parents
// that belong to the user's own folders), or makes an existing one of the
// user's private again. Whether it can then be trusted is for
// IsTrustedTextureDir to say.
void MakePrivateTextureDir(const std::string& dir);

// The exchange directory: the first candidate that can be trusted; empty
// when none can.
std::string TextureExchangeDir();

// Creates the exchange directory where needed: the first candidate that is,
// or can be made, trustworthy. False when none can.
bool CreateTextureExchangeDir();

// Full path of "Oruna<index>.bmp" in the exchange directory; empty when no
// directory can be trusted.
std::string TextureFilePath(int index);

}  // namespace oruna
