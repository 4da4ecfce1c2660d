#pragma once
// The fixed texts the demo mailbox is made of: people, subjects, body sentences
// in each body character set, links, and the account and folder titles.
// Japanese texts are stored as the bytes of each encoding (made with iconv),
// with the text itself in a comment.

#include <cstddef>

namespace mkmailbox {

struct Person {
  const char* display_sjis;  // shown in the index's sender column; nullptr: the address is shown
  const char* display_jis;   // the same name in ISO-2022-JP for the From header; nullptr when ASCII
  const char* address;
};

struct SubjectText {
  const char* sjis;  // for the index
  const char* jis;   // ISO-2022-JP for the Subject header; nullptr when the text is ASCII
};

// Body character sets, in the order of the columns of BodySentence.
enum class Charset { kIso2022Jp, kEucJp, kShiftJis, kUtf8, kUsAscii };
inline constexpr int kCharsetCount = 5;

// Charset parameter value and Content-Transfer-Encoding for a body character set.
const char* CharsetName(Charset charset);
const char* TransferEncodingName(Charset charset);

// One body line in a given character set.
const char* BodySentence(Charset charset, std::size_t index);
std::size_t BodySentenceCount();

const Person& PersonAt(std::size_t index);
std::size_t PersonCount();

const SubjectText& SubjectAt(std::size_t index);
std::size_t SubjectCount();

// Body lines holding an http, https or ftp URL or a mail address (ASCII).
const char* LinkLine(std::size_t index);
std::size_t LinkLineCount();

// Account and folder titles (Shift-JIS).
namespace titles {
inline constexpr const char* kWork = "\x8e\x64\x8e\x96\x97p";           // 仕事用
inline constexpr const char* kPersonal = "\x8c\xc2\x90l\x97p";          // 個人用
inline constexpr const char* kInbox = "\x97X\x95\xd6\x8e\xf3\x82\xaf";  // 郵便受け
inline constexpr const char* kOutbox = "\x91\x97\x90M\x94\xa0";         // 送信箱
inline constexpr const char* kTrash = "\x82\xb2\x82\xdd\x94\xa0";       // ごみ箱
inline constexpr const char* kMailingLists =
    "\x83\x81\x81[\x83\x8a\x83\x93\x83O\x83\x8a\x83X\x83g";  // メーリングリスト
inline constexpr const char* kDevList = "\x8aJ\x94\xadML";   // 開発ML
inline constexpr const char* kChatList = "\x8eG\x92kML";     // 雑談ML
inline constexpr const char* kBulk = "\x91\xe5\x97\xca\x83\x81\x81[\x83\x8b";  // 大量メール
inline constexpr const char* kArchive = "\x95\xdb\x91\xb6\x97p";               // 保存用
inline constexpr const char* kFamily = "\x89\xc6\x91\xb0";                     // 家族
inline constexpr const char* kHobby = "\x8e\xef\x96\xa1";                      // 趣味
inline constexpr const char* kPhotos = "\x8e\xca\x90^";                        // 写真
inline constexpr const char* kTravel = "\x97\xb7\x8ds";                        // 旅行
}  // namespace titles

}  // namespace mkmailbox
