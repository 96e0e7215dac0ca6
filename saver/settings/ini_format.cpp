#include "ini_format.h"

#include <vector>

namespace oruna {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class LineKind { Other, Section, Key };

// One line of the text: [begin, end) is its content without the line ending.
// For a section, name is the text between "[" and the last "]"; for a key,
// name is the text before the first "=", after_equals the byte after it and
// value_begin the first byte of the value after the blanks that follow "=".
// Names are trimmed.
struct Line {
  size_t begin = 0;
  size_t end = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;
  size_t after_equals = 0;
  size_t value_begin = 0;
};

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

size_t SkipBlanks(std::string_view text, size_t pos, size_t end) {
  while (pos < end && kBlanks.find(text[pos]) != std::string_view::npos) ++pos;
  return pos;
}

Line ClassifyLine(std::string_view text, size_t begin, size_t end) {
  Line line;
  line.begin = begin;
  line.end = end;
  size_t pos = begin;
  // A byte-order mark that an editor put before the first line is not part of it.
  if (begin == 0 && text.substr(0, kUtf8Bom.size()) == kUtf8Bom) pos = kUtf8Bom.size();
  pos = SkipBlanks(text, pos, end);
  const std::string_view content = text.substr(pos, end - pos);
  if (content.empty()) return line;
  if (content.front() == '[') {
    const size_t close = content.rfind(']');
    if (close == std::string_view::npos) return line;
    line.kind = LineKind::Section;
    line.name = Trim(content.substr(1, close - 1));
    return line;
  }
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) return line;
  line.kind = LineKind::Key;
  line.name = Trim(content.substr(0, equals));
  line.after_equals = pos + equals + 1;
  line.value_begin = SkipBlanks(text, line.after_equals, end);
  return line;
}

// Where the line starting at `begin` ends, and where the next one starts. A
// line ends at CR LF, LF or a CR alone, as the Windows profile functions read
// files from editors of either kind.
struct LineBreak {
  size_t end;
  size_t next;
};

LineBreak FindLineBreak(std::string_view text, size_t begin) {
  const size_t at = text.find_first_of("\r\n", begin);
  if (at == std::string_view::npos) return {text.size(), text.size()};
  const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
  return {at, at + (crlf ? 2 : 1)};
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  // One allocation for the whole file rather than one per doubling.
  size_t count = 1;
  for (size_t at = text.find_first_of("\r\n"); at != std::string_view::npos;
       at = text.find_first_of("\r\n", at + 1))
    ++count;
  lines.reserve(count);
  for (size_t begin = 0; begin < text.size();) {
    const LineBreak line_break = FindLineBreak(text, begin);
    lines.push_back(ClassifyLine(text, begin, line_break.end));
    begin = line_break.next;
  }
  return lines;
}

std::string_view ValueOf(std::string_view text, const Line& line) {
  std::string_view value = Trim(text.substr(line.value_begin, line.end - line.value_begin));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Where a key lives: the index of the key's line, or of the last non-blank
// line of the first matching section when the key is missing there.
struct KeyPlace {
  std::optional<size_t> key_line;
  std::optional<size_t> section_tail;
};

KeyPlace FindKey(std::string_view text, const std::vector<Line>& lines,
                 const IniNameMatch& section, const IniNameMatch& key) {
  KeyPlace place;
  bool in_match = false;
  bool in_first_match = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.kind == LineKind::Section) {
      in_match = section(line.name);
      in_first_match = in_match && !place.section_tail;
      if (in_first_match) place.section_tail = i;
      continue;
    }
    if (in_match && line.kind == LineKind::Key && key(line.name)) {
      place.key_line = i;
      return place;
    }
    const bool blank = Trim(text.substr(line.begin, line.end - line.begin)).empty();
    if (in_first_match && !blank) place.section_tail = i;
  }
  return place;
}

// A name with blanks around it would be read back without them and never
// match again, so each write would add another line.
bool StorableName(std::string_view name, std::string_view forbidden) {
  return !name.empty() && Trim(name) == name && name.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace

bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

IniNameMatch IniBytesMatch(std::string name) {
  return [name = std::move(name)](std::string_view found) { return AsciiEqualNoCase(found, name); };
}

std::optional<std::string> IniFindValue(std::string_view text, const IniNameMatch& section,
                                        const IniNameMatch& key) {
  const std::vector<Line> lines = SplitLines(text);
  const KeyPlace place = FindKey(text, lines, section, key);
  if (!place.key_line) return std::nullopt;
  return std::string(ValueOf(text, lines[*place.key_line]));
}

std::string_view IniLineEnding(std::string_view text) {
  const LineBreak first = FindLineBreak(text, 0);
  if (first.end == text.size()) return "\r\n";
  return text.substr(first.end, first.next - first.end);
}

std::optional<std::string> IniSetValue(std::string_view text, const IniNameMatch& section,
                                       const IniNameMatch& key, const IniAssignment& assignment) {
  const std::string breaks("\r\n\0", 3);
  if (!StorableName(assignment.section, breaks + "]") || !StorableName(assignment.key, breaks + "=") ||
      assignment.key.front() == '[' || assignment.value.find_first_of(breaks) != std::string_view::npos) {
    return std::nullopt;
  }
  const std::vector<Line> lines = SplitLines(text);
  const KeyPlace place = FindKey(text, lines, section, key);
  const std::string_view eol = IniLineEnding(text);
  std::string out(text);
  if (place.key_line) {
    // Keep the line up to its "=" (indent, key spelling), replace the rest.
    const Line& line = lines[*place.key_line];
    out.replace(line.after_equals, line.end - line.after_equals, assignment.value);
    return out;
  }
  std::string key_line;
  key_line.append(assignment.key).append("=").append(assignment.value);
  if (place.section_tail) {
    // The new line goes after the section's last line and takes over that
    // line's ending, so a last line without a line break stays without one.
    out.insert(lines[*place.section_tail].end, std::string(eol) + key_line);
    return out;
  }
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(eol);
  out.append("[").append(assignment.section).append("]").append(eol);
  out.append(key_line).append(eol);
  return out;
}

}  // namespace oruna
