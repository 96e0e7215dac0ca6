// The media-control error numbers the emulated service answers with. They
// are the Windows MCIERR values, so callers see the same codes everywhere.
#pragma once
#include <cstdint>

namespace oruna {

inline constexpr uint32_t kMciErrHardware = 262;             // device failed
inline constexpr uint32_t kMciErrInvalidDeviceName = 263;    // not open / unknown
inline constexpr uint32_t kMciErrDeviceOpen = 265;           // already open
inline constexpr uint32_t kMciErrCannotLoadDriver = 266;     // no such device here
inline constexpr uint32_t kMciErrMissingCommandString = 267;
inline constexpr uint32_t kMciErrUnrecognizedKeyword = 259;
inline constexpr uint32_t kMciErrUnrecognizedCommand = 261;
inline constexpr uint32_t kMciErrBadInteger = 270;
inline constexpr uint32_t kMciErrMissingParameter = 273;
inline constexpr uint32_t kMciErrUnsupportedFunction = 274;
inline constexpr uint32_t kMciErrFileNotFound = 275;
inline constexpr uint32_t kMciErrDeviceNotReady = 276;       // no disc
inline constexpr uint32_t kMciErrExtensionNotFound = 281;    // file type unknown
inline constexpr uint32_t kMciErrOutOfRange = 282;
inline constexpr uint32_t kMciErrDuplicateAlias = 289;
inline constexpr uint32_t kMciErrMissingDeviceName = 292;
inline constexpr uint32_t kMciErrBadTimeFormat = 293;
inline constexpr uint32_t kMciErrNoClosingQuote = 294;
inline constexpr uint32_t kMciErrDuplicateFlags = 295;
inline constexpr uint32_t kMciErrInvalidFile = 296;
inline constexpr uint32_t kMciErrExtraCharacters = 305;
inline constexpr uint32_t kMciErrDeviceNotInstalled = 306;   // no CD drive

}  // namespace oruna
