// Fuzzes the "Entry.lst" record reader and parser, and the header scan, on
// arbitrary bytes. Aborts when a result breaks what the parsers promise.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_reader.h"
#include "thread/index_record.h"
#include "thread/message_headers.h"
#include "thread/sjis_text.h"
#include "thread/thread_node.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckRecord(std::string_view line) {
  const thread::IndexRecord record = thread::ParseIndexRecord(line);
  const std::string_view name(record.Name.data());
  Require(name.size() <= 8);
  Require(thread::IsMessageName(name));
  Require(record.Sender.size() + record.Subject.size() <= line.size());
  Require(record.Sender.find(':') == std::string::npos);
  Require(record.StatusBlock[12] == 0 && record.StatusBlock[13] == 0 && record.StatusBlock[14] == 0);
}

void CheckIdentifier(const std::string& id) {
  Require(id.find('\n') == std::string::npos);
  Require(id.size() < thread::kHeaderReadChars);
  Require(id.empty() || (id.front() != ' ' && id.back() != ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (thread::IsIndexRecord(bytes)) CheckRecord(bytes);
  const thread::Base64Block block = thread::DecodeBase64Block(bytes);
  Require(block.Length <= block.Bytes.size());

  thread::IndexRecords records(bytes);
  std::string_view line;
  while (records.Next(line)) {
    Require(line.size() <= thread::kIndexReadChars);
    CheckRecord(line);
  }

  platform::TextReader reader;
  reader.OpenBytes(bytes);
  const thread::MessageHeaders headers = thread::ReadMessageHeaders(reader, false);
  CheckIdentifier(headers.MessageId);
  CheckIdentifier(headers.InReplyTo);
  CheckIdentifier(headers.LastReference);

  const thread::Bracketed first = thread::TakeFirstBracketed(bytes);
  const thread::Bracketed last = thread::TakeLastBracketed(bytes);
  Require(first.Found == last.Found);
  Require(first.Text.size() <= size && last.Text.size() <= size);

  for (const bool tag : {false, true}) {
    const std::string_view key = thread::SubjectKey(bytes, tag);
    Require(key.data() >= bytes.data() && key.data() + key.size() == bytes.data() + bytes.size());
  }
  thread::HasReplyMark(bytes);
  return 0;
}
