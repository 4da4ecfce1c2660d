#pragma once
// The fixed texts the demo mailbox is made of: people, subjects, body sentences
// in each body character set and links.
// The Japanese texts, and the account and folder titles, are written once, readable,
// in tools/mkmailbox/ja_texts.txt; the build makes their bytes in each encoding
// ("tools/mkmailbox/ja_texts.h").

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

}  // namespace mkmailbox
