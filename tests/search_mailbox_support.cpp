#include "tests/search_mailbox_support.h"

#include <algorithm>
#include <fstream>

namespace search_testing {
namespace {

std::string RecordLine(const MiniMessage& m) {
  // Status field: the flag word (least significant byte first), reserved 0, the date stamp, Base64
  // of 12 bytes, stored with bytes 8-11 least significant first (the index reverses them).
  unsigned char block[12] = {};
  for (int i = 0; i < 4; ++i) {
    block[i] = static_cast<unsigned char>(m.flags >> (8 * i));
    block[8 + i] = static_cast<unsigned char>(m.stamp >> (8 * i));
  }
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string status;
  for (int i = 0; i < 12; i += 3) {
    const unsigned bits = block[i] << 16 | block[i + 1] << 8 | block[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) status += kDigits[bits >> shift & 63];
  }
  return m.name + "=" + status + m.sender + ":" + m.subject + "\r\n";
}

}  // namespace

void WriteFolder(const testing_support::TempDir& dir, const std::string& folder,
                 const std::vector<MiniMessage>& messages) {
  std::string list;
  dir.MakeDirs(folder);
  for (const MiniMessage& m : messages) {
    list += RecordLine(m);
    // Only a changed file is written: a rewritten one counts as changed (its time).
    // Not flushed to disk, unlike TempDir::WriteFile: tests write thousands.
    const std::string file = folder + "/" + m.name + ".qnm";
    const std::string id = m.message_id.empty() ? "" : "Message-ID: <" + m.message_id + ">\r\n";
    const std::string bytes =
        id + m.header + "From: x\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + m.body;
    if (dir.ReadFile(file) != bytes) {
      std::ofstream(dir.Join(file), std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
  }
  dir.WriteFile(folder + "/Entry.lst", list);
  dir.WriteFile(folder + "/Entry.ini",
                "[Property]\r\nTotal=" + std::to_string(messages.size()) + "\r\n");
}

thread::ParsedQuery Words(const std::string& utf8) {
  thread::ParsedQuery query;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::size_t end = std::min(utf8.find(' ', pos), utf8.size());
    if (end > pos) {
      thread::QueryNode word;
      word.kind = thread::QueryNode::Kind::kText;
      word.text = utf8.substr(pos, end - pos);
      query.root.children.push_back(std::move(word));
    }
    pos = end + 1;
  }
  return query;
}

}  // namespace search_testing
