#pragma once
// The mail client's folder index "Entry.lst" as written by the generator: one
// record per stored message,
//   NAME "=" STATUS SENDER ":" SUBJECT CR LF
// NAME is the 8-character message name, STATUS the 12-byte status block in
// Base64 (16 characters), and every ":" inside SUBJECT is doubled, because the
// reader takes a ":" as quoting the character after it.
//
// Status block bytes as stored (before Base64):
//   0-3   flag word, least significant byte first (its bits are named in
//         thread/index_record.h);
//   4-7   the message file size, least significant byte first;
//   8-11  the date stamp (seconds since 1970, UTC), least significant byte
//         first. The reader reverses bytes 4-7 and 8-11, so after reading they
//         are most significant first and compare bytewise in date order.

#include <cstdint>
#include <string>
#include <string_view>

#include "thread/index_record.h"

namespace mkmailbox {

struct IndexEntry {
  std::string name;  // 8 characters
  std::uint32_t flags = 0;
  std::uint32_t file_size = 0;
  std::uint32_t date_stamp = 0;
  std::string sender;   // Shift-JIS; must hold no ":" and no line end
  std::string subject;  // Shift-JIS, as the reader gets it back; no line end
};

// The 8-character name of message number `number`: 8 hexadecimal digits.
std::string MessageName(std::uint32_t number);

// Standard Base64 (RFC 4648 alphabet, "=" padding), no line breaks.
std::string EncodeBase64(std::string_view bytes);

// The 16-character status field for the three words.
std::string EncodeStatusField(std::uint32_t flags, std::uint32_t file_size,
                              std::uint32_t date_stamp);

// The 16-character status field that the program's reader
// (thread::ParseIndexRecord) decodes back to bytes 0-11 of `status`.
std::string EncodeStatusField(const thread::StatusBytes& status);

// The subject as stored in a record: every ":" doubled.
std::string QuoteIndexSubject(std::string_view subject);

// Appends one record with its CR LF line end.
void AppendIndexRecord(std::string& out, const IndexEntry& entry);

// The index text `index` with the unread bit set in the flag word of every
// record whose status field decodes whole, every other byte as it was: a
// folder whose every message the benchmarks and tests can mark read.
std::string WithEveryRecordUnread(std::string_view index);

}  // namespace mkmailbox
