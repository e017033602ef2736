#include "sim/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

#include "sim/atomic_file.h"

namespace zen {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Far beyond any real settings file; guards against pointing at the wrong file.
constexpr std::size_t kMaxFileBytes = 1 << 20;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool isBlank(std::string_view line) { return trim(line).empty(); }

bool isComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

std::optional<std::string_view> sectionName(std::string_view line) {
  const std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(t.substr(1, close - 1));
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view line) {
  const std::string_view t = trim(line);
  if (isComment(t) || sectionName(t)) return std::nullopt;
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = trim(t.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyValue{key, trim(t.substr(eq + 1))};
}

std::string_view firstLine(std::string_view value) { return value.substr(0, value.find_first_of("\r\n")); }

std::string entryLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += firstLine(value);
  return line;
}

}  // namespace

std::optional<std::string> IniFile::load(const std::filesystem::path& path) {
  ReadResult read = readFilePrefix(path, kMaxFileBytes + 1);
  if (read.error) return read.error;
  if (read.bytes.size() > kMaxFileBytes) return std::string(std::strerror(EFBIG));
  parse(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
  return std::nullopt;
}

void IniFile::parse(std::string_view text) {
  lines_.clear();
  bom_ = text.starts_with(kBom);
  if (bom_) text.remove_prefix(kBom.size());
  // CRLF, LF and the CR of old Mac editors all end a line.
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    lines_.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
  const std::string_view wanted = trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (name && equalNoCase(*name, wanted)) return i;
  }
  return std::nullopt;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !sectionName(lines_[i])) ++i;
  return i;
}

std::optional<IniFile::Entry> IniFile::findKey(std::size_t header, std::string_view key) const {
  const std::string_view wanted = trim(key);
  const std::size_t end = sectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    const auto kv = keyValue(lines_[i]);
    if (kv && equalNoCase(kv->key, wanted)) return Entry{i, kv->key, kv->value};
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::readString(std::string_view section, std::string_view key) const {
  const auto header = findSection(section);
  if (!header) return std::nullopt;
  const auto entry = findKey(*header, key);
  if (!entry) return std::nullopt;
  return std::string(entry->value);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const auto text = readString(section, key);
  if (!text) return defaultValue;
  std::string_view digits = *text;
  // from_chars takes a minus sign but not a plus sign.
  if (digits.starts_with('+')) {
    digits.remove_prefix(1);
    if (digits.starts_with('-')) return defaultValue;
  }
  int value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return defaultValue;
  return value;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view newKey = trim(key);
  const auto header = findSection(section);
  if (!header) {
    if (!lines_.empty() && !isBlank(lines_.back())) lines_.emplace_back();
    lines_.push_back("[" + std::string(trim(section)) + "]");
    lines_.push_back(entryLine(newKey, value));
    return;
  }
  if (const auto entry = findKey(*header, key)) {
    lines_[entry->line] = entryLine(entry->key, value);
    return;
  }
  // Below the last entry rather than at the section's end, so the blank lines
  // and comments that introduce the next section stay with it.
  std::size_t at = *header + 1;
  const std::size_t end = sectionEnd(*header);
  for (std::size_t i = *header + 1; i < end; ++i)
    if (keyValue(lines_[i])) at = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entryLine(newKey, value));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
  writeString(section, key, std::to_string(value));
}

std::string IniFile::text() const {
  std::string out;
  if (bom_) out += kBom;
  for (const std::string& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> IniFile::save(const std::filesystem::path& path) const {
  const std::string out = text();
  return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
}

std::filesystem::path findFileNoCase(const std::filesystem::path& folder, std::string_view name) {
  std::error_code ec;
  const std::filesystem::path exact = folder / name;
  if (std::filesystem::exists(exact, ec)) return exact;
  // Directory order is arbitrary; the smallest matching name keeps the choice stable.
  std::optional<std::string> best;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string candidate = it->path().filename().string();
    if (equalNoCase(candidate, name) && (!best || candidate < *best)) best = candidate;
  }
  return best ? folder / *best : exact;
}

}  // namespace zen
