#include "settings/ini_profile.h"

#include <chrono>
#include <cstddef>
#include <thread>

#include "platform/files.h"
#include "platform/text_bytes.h"

namespace settings {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The value of a key line: trimmed, one pair of enclosing double quotes removed.
std::string ValueOf(std::string_view text) {
  std::string_view value = Trim(text);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseInteger(std::string_view text, std::int32_t& value) {
  text = Trim(text);
  std::uint32_t result = 0;
  if (!text.empty() && (text[0] == '$' || text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
    text.remove_prefix(text[0] == '$' ? 1 : 2);
    if (text.empty()) return false;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      result = (result << 4) | static_cast<std::uint32_t>(d);
    }
    value = static_cast<std::int32_t>(result);
    return true;
  }
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<std::uint32_t>(c - '0');  // wraps modulo 2^32
  }
  value = static_cast<std::int32_t>(negative ? 0u - result : result);
  return true;
}

IniText::IniText(std::string_view bytes) {
  sections_.push_back({"", -1});  // lines before the first header
  int current = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    start = next;

    Line line;
    line.text = std::string(raw);
    const std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      std::string_view name = t.substr(1);
      const std::size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      sections_.push_back({std::string(Trim(name)), static_cast<int>(lines_.size())});
      current = static_cast<int>(sections_.size()) - 1;
      line.section = current;
    } else {
      line.section = current;
      const std::size_t eq = t.find('=');
      if (!t.empty() && t.front() != ';' && eq != std::string_view::npos) {
        line.is_key = true;
        line.key = std::string(Trim(t.substr(0, eq)));
        line.value = ValueOf(t.substr(eq + 1));
      }
    }
    lines_.push_back(std::move(line));
  }
}

int IniText::FindSection(std::string_view name) const {
  for (std::size_t i = 1; i < sections_.size(); ++i) {
    if (platform::EqualsIgnoringAsciiCase(sections_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const std::string* IniText::Find(std::string_view section, std::string_view key) const {
  const int s = FindSection(section);
  if (s < 0) return nullptr;
  for (const Line& line : lines_) {
    if (line.section == s && line.is_key && platform::EqualsIgnoringAsciiCase(line.key, key))
      return &line.value;
  }
  return nullptr;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value_text) {
  int s = FindSection(section);
  if (s < 0) {
    sections_.push_back({std::string(section), static_cast<int>(lines_.size())});
    s = static_cast<int>(sections_.size()) - 1;
    Line header;
    header.text.append("[").append(section).append("]");
    header.section = s;
    lines_.push_back(std::move(header));
  }
  int insert_at = -1;  // after the section's last non-empty line
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (line.section != s) continue;
    if (line.is_key && platform::EqualsIgnoringAsciiCase(line.key, key)) {
      line.text = line.key + "=" + std::string(value_text);
      line.value = ValueOf(value_text);
      return;
    }
    if (!Trim(line.text).empty()) insert_at = static_cast<int>(i);
  }
  Line line;
  line.section = s;
  line.is_key = true;
  line.key = std::string(key);
  line.text = line.key + "=" + std::string(value_text);
  line.value = ValueOf(value_text);
  lines_.insert(lines_.begin() + (insert_at + 1), std::move(line));
}

void IniText::Remove(std::string_view section, std::string_view key) {
  const int s = FindSection(section);
  if (s < 0) return;
  std::erase_if(lines_, [&](const Line& line) {
    return line.section == s && line.is_key && platform::EqualsIgnoringAsciiCase(line.key, key);
  });
}

std::string IniText::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += "\r\n";
  }
  return out;
}

IniReader::IniReader(const std::string& path) : IniReader(platform::SystemPath::FromCp932(path)) {}

IniReader::IniReader(const platform::SystemPath& path) {
  std::string bytes;
  if (platform::ReadWholeFile(path, bytes)) text_ = IniText(bytes);
}

std::string IniReader::ReadString(std::string_view section, std::string_view key,
                                  std::string_view default_value) const {
  const std::string* value = text_.Find(section, key);
  return value != nullptr ? *value : std::string(default_value);
}

std::int32_t IniReader::ReadInteger(std::string_view section, std::string_view key,
                                    std::int32_t default_value) const {
  const std::string* text = text_.Find(section, key);
  std::int32_t value = 0;
  return (text != nullptr && ParseInteger(*text, value)) ? value : default_value;
}

IniWriter::IniWriter(const std::string& path) : IniWriter(platform::SystemPath::FromCp932(path)) {}

IniWriter::IniWriter(platform::SystemPath path) : path_(std::move(path)) {}

void IniWriter::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  writes_.push_back({std::string(section), std::string(key), std::string(value)});
}

void IniWriter::WriteQuotedString(std::string_view section, std::string_view key,
                                  std::string_view value) {
  std::string quoted;
  quoted.append("\"").append(value).append("\"");
  WriteString(section, key, quoted);
}

void IniWriter::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniWriter::DeleteKey(std::string_view section, std::string_view key) {
  writes_.push_back({std::string(section), std::string(key), std::string(), true});
}

// No path (the program's folder cannot be named): nothing is written, and in
// particular nothing beside an empty name in the current directory. A file
// that is there but cannot be read is held by another program: writing over
// it would lose its other keys, so the pass waits for it as for a held rename.
bool IniWriter::Commit() {
  if (path_.empty()) return false;
  for (int tries = 1;; ++tries) {
    std::string bytes;
    const bool read = platform::ReadWholeFile(path_, bytes);
    if (read || !platform::FileExists(path_)) {
      IniText text(read ? bytes : std::string());
      for (const Write& write : writes_) {
        if (write.remove) {
          text.Remove(write.section, write.key);
        } else {
          text.Set(write.section, write.key, write.value);
        }
      }
      if (platform::ReplaceFileAtomically(path_, text.Serialize())) return true;
    }
    if (tries >= kCommitTries) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kCommitPauseMs * tries));
  }
}

}  // namespace settings
