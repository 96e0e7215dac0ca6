// Command-string grammar of the emulated media-control service.
#include "mci_command.h"

#include <cstdio>

#include "mci_errors.h"

namespace oruna {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool VerbOf(const std::string& word, MciVerb* verb) {
  static const struct { const char* name; MciVerb verb; } kVerbs[] = {
      {"open", MciVerb::kOpen}, {"set", MciVerb::kSet},   {"status", MciVerb::kStatus},
      {"play", MciVerb::kPlay}, {"stop", MciVerb::kStop}, {"close", MciVerb::kClose}};
  for (const auto& v : kVerbs) {
    if (word == v.name) {
      *verb = v.verb;
      return true;
    }
  }
  return false;
}

using Words = std::vector<std::string>;

// Reads "<key> <value>" pairs where each key may appear once.
uint32_t ParsePairs(const Words& rest, const char* key1, std::string* value1, bool* seen1,
                    const char* key2, std::string* value2, bool* seen2) {
  for (size_t i = 0; i < rest.size(); i += 2) {
    const std::string key = Lower(rest[i]);
    std::string* value = nullptr;
    bool* seen = nullptr;
    if (key == key1) {
      value = value1;
      seen = seen1;
    } else if (key == key2) {
      value = value2;
      seen = seen2;
    } else {
      return kMciErrUnrecognizedKeyword;
    }
    if (*seen) return kMciErrDuplicateFlags;
    if (i + 1 >= rest.size()) return kMciErrMissingParameter;
    *seen = true;
    *value = rest[i + 1];
  }
  return 0;
}

uint32_t ParseSet(const Words& rest, MciRequest* out) {
  if (rest.empty()) return kMciErrMissingParameter;
  if (rest.size() < 2 || Lower(rest[0]) != "time" || Lower(rest[1]) != "format")
    return kMciErrUnrecognizedKeyword;
  if (rest.size() == 2) return kMciErrMissingParameter;
  if (rest.size() > 3) return kMciErrUnrecognizedKeyword;
  out->time_format = Lower(rest[2]);
  return 0;
}

uint32_t ParseStatus(const Words& rest, MciRequest* out) {
  if (rest.empty()) return kMciErrMissingParameter;
  Words keys;
  for (const std::string& w : rest) keys.push_back(Lower(w));
  if (keys == Words{"current", "track"}) out->item = MciStatusItem::kCurrentTrack;
  else if (keys == Words{"number", "of", "tracks"}) out->item = MciStatusItem::kNumberOfTracks;
  else if (keys == Words{"mode"}) out->item = MciStatusItem::kMode;
  else if (keys == Words{"position"}) out->item = MciStatusItem::kPosition;
  else if (keys.size() >= 2 && keys[0] == "position" && keys[1] == "track") {
    if (keys.size() == 2) return kMciErrMissingParameter;
    if (keys.size() > 3) return kMciErrUnrecognizedKeyword;
    if (!MCI_ParseUnsigned(keys[2], &out->track)) return kMciErrBadInteger;
    out->item = MciStatusItem::kPositionTrack;
  } else {
    return kMciErrUnrecognizedKeyword;
  }
  return 0;
}

}  // namespace

uint32_t MCI_Tokenize(std::string_view command, std::vector<std::string>* words,
                      std::vector<bool>* quoted) {
  words->clear();
  quoted->clear();
  size_t i = 0;
  const size_t n = command.size();
  while (i < n) {
    if (IsSpace(command[i])) {
      ++i;
      continue;
    }
    if (command[i] == '"') {
      const size_t close = command.find('"', i + 1);
      if (close == std::string_view::npos) return kMciErrNoClosingQuote;
      words->emplace_back(command.substr(i + 1, close - i - 1));
      quoted->push_back(true);
      i = close + 1;
      if (i < n && !IsSpace(command[i])) return kMciErrExtraCharacters;
      continue;
    }
    size_t end = i;
    while (end < n && !IsSpace(command[end])) {
      if (command[end] == '"') return kMciErrExtraCharacters;  // a quote inside a word
      ++end;
    }
    words->emplace_back(command.substr(i, end - i));
    quoted->push_back(false);
    i = end;
  }
  return 0;
}

uint32_t MCI_Parse(std::string_view command, MciRequest* out) {
  *out = MciRequest{};
  command = command.substr(0, command.find('\0'));  // read as a C string
  Words words;
  std::vector<bool> quoted;
  if (const uint32_t err = MCI_Tokenize(command, &words, &quoted)) return err;
  if (words.empty()) return kMciErrMissingCommandString;
  if (!VerbOf(Lower(words[0]), &out->verb)) return kMciErrUnrecognizedCommand;
  if (words.size() < 2) return kMciErrMissingDeviceName;
  out->device = words[1];
  out->device_quoted = quoted[1];
  const Words rest(words.begin() + 2, words.end());

  bool seen_type = false, seen_alias = false;
  switch (out->verb) {
    case MciVerb::kOpen:
      return ParsePairs(rest, "type", &out->type, &seen_type, "alias", &out->alias, &seen_alias);
    case MciVerb::kSet:
      return ParseSet(rest, out);
    case MciVerb::kStatus:
      return ParseStatus(rest, out);
    case MciVerb::kPlay:
      return ParsePairs(rest, "from", &out->from, &out->has_from, "to", &out->to, &out->has_to);
    case MciVerb::kStop:
    case MciVerb::kClose:
      return rest.empty() ? 0 : kMciErrUnrecognizedKeyword;
  }
  return kMciErrUnrecognizedCommand;
}

bool MCI_ParseUnsigned(std::string_view text, uint32_t* out) {
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > UINT32_MAX) return false;
  }
  *out = static_cast<uint32_t>(value);
  return true;
}

bool MCI_ParseTmsf(std::string_view text, Tmsf* out) {
  uint32_t fields[4] = {0, 0, 0, 0};
  size_t count = 0;
  for (;;) {
    const size_t colon = text.find(':');
    const std::string_view field = text.substr(0, colon);
    if (count == 4 || field.size() > 3 || !MCI_ParseUnsigned(field, &fields[count]) ||
        fields[count] > 255)
      return false;
    ++count;
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
  }
  *out = Tmsf{fields[0], fields[1], fields[2], fields[3]};
  return true;
}

std::string MCI_FormatTmsf(const Tmsf& p) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u:%02u", p.track, p.minutes, p.seconds, p.frames);
  return text;
}

}  // namespace oruna
