#pragma once
// The folder index "Entry.lst": one line per stored message, written by the
// mail client. A record line is
//   name (8 characters) "=" status (16 Base64 characters) sender ":" subject
// and everything else in the file is skipped.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text_reader.h"

namespace thread {

struct ThreadNode;

// "Entry.lst" is read in pieces of at most this many characters (line end
// included); a longer line arrives as several pieces.
inline constexpr std::size_t kIndexReadChars = 1000;

// True when `name`, a message file's name without its extension, may be
// joined to a folder path and put into a mail-client command: one or more
// ASCII letters, digits, "_" and "-", and no Windows device name (CON, PRN,
// AUX, NUL, COM0-COM9, LPT0-LPT9 in any letter case). Any other character
// could change a command's text ("," or ")"), leave the folder, or name an
// alternate stream (":"); a device name opens the device, whatever extension
// follows it.
bool IsMessageName(std::string_view name);

// True when `line` (a piece as read, with its "\n" when that fit) is an index
// record: character 8 is "=", the line counted with its line end is longer
// than 24 characters, and the 8-character name passes IsMessageName. A record
// with any other name is skipped, so nothing is shown or sent for it.
// Continuation pieces of a long line must not be given here: use
// IndexRecords, which skips them.
bool IsIndexRecord(std::string_view line);

// The index records of the text of an "Entry.lst" held in memory, in file
// order: the pieces of at most kIndexReadChars characters that start a line
// and are records. Each is a view into the text without its line end (every
// parser here gives the same result with or without it).
class IndexRecords {
 public:
  explicit IndexRecords(std::string_view text) : pieces_(text) {}
  // Next record into `line`; false at the end of the text.
  bool Next(std::string_view& line);

 private:
  platform::TextPieces pieces_;
};

// The decoded status field with bytes 4-7 and 8-11 each reversed: 0-3 the
// mail client's flag word (least significant byte first), 4-7 reserved, 8-11
// the date stamp (most significant byte first). Bytes the decoding did not
// produce, and 12-14, are zero.
using StatusBytes = std::array<std::uint8_t, 15>;

// Bits of the flag word that the program reads or changes. The mail client
// keeps other flags beside them, in the same bytes.
inline constexpr std::uint32_t kUnreadFlag = 0x40000000;      // bit 0x40 of byte 3
inline constexpr std::uint32_t kAttachmentFlag = 0x00800000;  // bit 0x80 of byte 2
// Either of these bits: the message body is shown without code conversion.
inline constexpr std::uint32_t kNoConvertLowFlag = 0x00010000;   // bit 0x01 of byte 2
inline constexpr std::uint32_t kNoConvertHighFlag = 0x80000000;  // bit 0x80 of byte 3
inline constexpr std::uint32_t kNoConvertFlags = kNoConvertLowFlag | kNoConvertHighFlag;

// The flag word: bytes 0-3, least significant first.
std::uint32_t FlagWord(const StatusBytes& status);
inline bool IsUnread(const StatusBytes& status) { return (FlagWord(status) & kUnreadFlag) != 0; }
// Clears the unread bit and no other: what the mail client does when a message
// is read.
void MarkRead(StatusBytes& status);

struct IndexRecord {
  std::array<char, 12> Name{};  // 8 characters, zero-terminated
  StatusBytes StatusBlock{};
  std::string Sender;
  std::string Subject;
};

// Parses a line accepted by IsIndexRecord. The sender runs from character 25
// to the first ":" (to the line end when there is none; the subject is then
// empty); in the subject a ":" is dropped and the character after it copied as
// it is, and a single ":" right before the line end or the end gives nothing.
// A corrupted status field never fails the record: see DecodeBase64Block.
IndexRecord ParseIndexRecord(std::string_view line);
// The same, storing Name, StatusBlock, Sender and Subject into `node`.
void ParseIndexRecordInto(std::string_view line, ThreadNode& node);

struct Base64Block {
  std::array<std::uint8_t, 12> Bytes{};  // zero past Length
  std::size_t Length = 0;                // bytes produced
  bool Corrupt = false;                  // stopped at an invalid character
};

// Decodes the 16-character status field as four Base64 quanta (standard
// alphabet). "=" is allowed as the third or fourth character of a quantum and
// ends the decoding after that quantum (1 or 2 bytes from it). Any other
// character, "=" in first or second position, or text shorter than 16
// characters stops the decoding at that quantum: it and later quanta give no
// bytes and Corrupt is set. Never fails otherwise.
Base64Block DecodeBase64Block(std::string_view text);

}  // namespace thread
