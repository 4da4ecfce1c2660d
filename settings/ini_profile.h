#pragma once
// INI profile files read and written with Windows profile semantics:
//   - section and key names match ignoring ASCII letter case; the first
//     matching section and the first matching key in it win;
//   - a missing file, section or key gives the caller's default;
//   - a value is trimmed of blanks and one pair of enclosing double quotes is
//     removed;
//   - an integer is an optional "-" then decimal digits, or "$", "0x" or "0X"
//     then hex digits, taken as 32 bits; anything else gives the default.
//
// A reading pass (IniReader) opens the file, reads it whole and closes it.
// A writing pass (IniWriter) collects its keys; its commit reads the file,
// changes only the keys written, keeps every other line, and replaces the file
// atomically, so a crash or a full disk never leaves a half-written file.
// Another program (a virus scanner, a sync client) may hold the file for a
// moment: the commit is tried again for half a second (kCommitTries) before
// it fails, for the caller to report.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_path.h"

namespace settings {

// Parsed contents of an INI text; used by both passes.
class IniText {
 public:
  IniText() : IniText(std::string_view()) {}
  explicit IniText(std::string_view bytes);

  // Raw value (trimmed, quotes removed), or nullptr when the key is missing.
  const std::string* Find(std::string_view section, std::string_view key) const;

  // Sets a key's value text as written (the caller adds quotes if wanted).
  // An existing key keeps its place and spelling; a new key goes after the last
  // line of the section; a new section is appended at the end.
  void Set(std::string_view section, std::string_view key, std::string_view value_text);
  bool HasSection(std::string_view section) const { return FindSection(section) >= 0; }
  // Removes every line of the key in the section (nothing when it is absent).
  void Remove(std::string_view section, std::string_view key);
  // The section's keys and values in file order, for a section read whole
  // (one pass, whatever its size); nothing for a missing section.
  template <class Visit>
  void ForEachKey(std::string_view section, Visit visit) const {
    const int s = FindSection(section);
    if (s < 0) return;
    for (const Line& line : lines_) {
      if (line.section == s && line.is_key)
        visit(std::string_view(line.key), std::string_view(line.value));
    }
  }

  // The text with CR LF line ends.
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;        // the line as stored, without its line end
    int section = -1;        // index into sections_ of the section it belongs to
    std::string key;         // key name for key lines, else empty
    std::string value;       // parsed value for key lines
    bool is_key = false;
  };
  struct Section {
    std::string name;
    int header_line = -1;  // -1 for the lines before any section header
  };
  int FindSection(std::string_view name) const;

  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

// Parses an integer as described above; false when the text is not one.
bool ParseInteger(std::string_view text, std::int32_t& value);

class IniReader {
 public:
  // Reads the file at once; a missing or unreadable file reads as empty.
  explicit IniReader(const std::string& path);  // a CP932 path
  explicit IniReader(const platform::SystemPath& path);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t default_value) const;
  const IniText& Text() const { return text_; }

 private:
  IniText text_;
};

// Pauses of 50, 100, 150 and 200 ms between the tries: half a second for one
// pass, a second for the two passes of a shutdown.
inline constexpr int kCommitTries = 5;
inline constexpr int kCommitPauseMs = 50;

class IniWriter {
 public:
  // Nothing is read or written until Commit.
  explicit IniWriter(const std::string& path);  // a CP932 path
  explicit IniWriter(platform::SystemPath path);

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the value enclosed in double quotes.
  void WriteQuotedString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  // Takes the key out of the file (as a profile write of no value does).
  void DeleteKey(std::string_view section, std::string_view key);

  // Reads the file (missing: empty), sets the keys written and replaces it
  // atomically; false when it could not be read or written within the tries
  // (the old file then stays as it was).
  bool Commit();

 private:
  struct Write {
    std::string section;
    std::string key;
    std::string value;  // as stored, quotes included
    bool remove = false;
  };
  platform::SystemPath path_;
  std::vector<Write> writes_;
};

}  // namespace settings
