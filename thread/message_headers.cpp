#include "thread/message_headers.h"

#include "platform/text_reader.h"
#include "thread/thread_node.h"

namespace thread {

namespace {

enum class Header { kOther, kMessageId, kInReplyTo, kReferences, kMailingList };

// Which threading header a line is: its first letter (ignoring case) and a
// header name anywhere in the line, both on an upper-case copy.
Header Classify(std::string_view line) {
  if (line.empty()) return Header::kOther;
  std::string upper(line);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  const auto has = [&upper](std::string_view name) { return upper.find(name) != std::string::npos; };
  switch (upper[0]) {
    case 'M':
      if (has("MESSAGE-ID:")) return Header::kMessageId;
      break;
    case 'I':
      if (has("IN-REPLY-TO:")) return Header::kInReplyTo;
      break;
    case 'R':
      if (has("REFERENCES:")) return Header::kReferences;
      break;
    case 'X':
      if (has("X-ML") || has("X-SEQUENCE:")) return Header::kMailingList;
      break;
    case 'S':
      if (has("SENDER:")) return Header::kMailingList;
      break;
    default:
      break;
  }
  return Header::kOther;
}

bool StartsWithLineEnd(std::string_view line) { return !line.empty() && line[0] == '\n'; }

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool HoldsBothBrackets(std::string_view text) {
  return text.find('<') != std::string_view::npos && text.find('>') != std::string_view::npos;
}

// Text after the "<" at `open` up to the next ">" or the end; sets `close` to
// that ">" (npos when there is none).
std::string_view BracketText(std::string_view text, std::size_t open, std::size_t& close) {
  close = text.find('>', open + 1);
  return text.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
}

class HeaderScanner {
 public:
  HeaderScanner(platform::TextReader& reader, MessageHeaders& headers)
      : reader_(reader), node_(headers) {}

  void Run() {
    if (!Read()) return;
    for (;;) {
      const Step step = HandleLine();
      if (step == Step::kEnd) return;
      if (step == Step::kHandBack) continue;  // line_ is a header line of its own
      if (StartsWithLineEnd(line_)) return;
      if (AllKnown()) return;
      if (!Read()) return;
    }
  }

 private:
  enum class Step { kHandled, kHandBack, kEnd };

  bool Read() { return reader_.ReadPiece(line_, kHeaderReadChars); }

  bool AllKnown() const {
    return !node_.MessageId.empty() && !node_.InReplyTo.empty() && !node_.LastReference.empty() && node_.MlFlag;
  }

  Step HandleLine() {
    switch (Classify(line_)) {
      case Header::kMessageId:
        return TakeSingle(node_.MessageId);
      case Header::kInReplyTo:
        return TakeSingle(node_.InReplyTo);
      case Header::kReferences:
        return TakeReferences();
      case Header::kMailingList:
        node_.MlFlag = true;
        return Step::kHandled;
      case Header::kOther:
        break;
    }
    return Step::kHandled;
  }

  // Message-ID and In-Reply-To: the identifier is on the header line, or on
  // the next line when that one starts with a blank or "<".
  Step TakeSingle(std::string& field) {
    if (HoldsBothBrackets(line_)) {
      field = TakeFirstBracketed(line_).Text;
      return Step::kHandled;
    }
    if (!Read()) return Step::kEnd;
    const char first = line_[0];
    if (first != ' ' && first != '\t' && first != '<') return Step::kHandBack;
    field = TakeFirstBracketed(line_).Text;
    return Step::kHandled;
  }

  // References: the last identifier of the header's last line. Any non-empty
  // line without ":" continues the header.
  Step TakeReferences() {
    node_.LastReference = TakeLastBracketed(line_).Text;
    for (;;) {
      if (!Read()) return Step::kEnd;
      if (line_.find(':') != std::string::npos) return Step::kHandBack;
      if (StartsWithLineEnd(line_)) return Step::kEnd;
      node_.LastReference = TakeLastBracketed(line_).Text;
    }
  }

  platform::TextReader& reader_;
  MessageHeaders& node_;
  std::string line_;
};

}  // namespace

MessageHeaders ReadMessageHeaders(platform::TextReader& reader, bool ml_flag) {
  MessageHeaders headers;
  headers.MlFlag = ml_flag;
  HeaderScanner(reader, headers).Run();
  return headers;
}

MessageHeaders ReadMessageHeaders(const std::string& path, bool ml_flag) {
  platform::TextReader reader;
  if (!reader.Open(path)) {
    MessageHeaders none;
    none.MlFlag = ml_flag;
    return none;
  }
  return ReadMessageHeaders(reader, ml_flag);
}

void ApplyMessageHeaders(const MessageHeaders& headers, ThreadNode& node) {
  node.MessageId = node.Keep(headers.MessageId);
  node.InReplyTo = node.Keep(headers.InReplyTo);
  // Most replies name their parent in both headers: keep those bytes once.
  node.LastReference = headers.LastReference == headers.InReplyTo
                           ? node.InReplyTo
                           : node.Keep(headers.LastReference);
  node.MlFlag = headers.MlFlag;
}

void ScanMessageHeaders(ThreadNode& node) {
  ApplyMessageHeaders(ReadMessageHeaders(node.FilePath.str(), node.MlFlag), node);
}

void ScanMessageHeaders(platform::TextReader& reader, ThreadNode& node) {
  ApplyMessageHeaders(ReadMessageHeaders(reader, node.MlFlag), node);
}

Bracketed TakeFirstBracketed(std::string_view line) {
  const std::string_view text = WithoutLineEnd(line);
  if (!HoldsBothBrackets(text)) return {};
  std::size_t close = 0;
  return {true, std::string(TrimSpaces(BracketText(text, text.find('<'), close)))};
}

Bracketed TakeLastBracketed(std::string_view line) {
  const std::string_view text = WithoutLineEnd(line);
  if (!HoldsBothBrackets(text)) return {};
  std::size_t from = 0;
  std::string_view taken;
  for (;;) {
    std::size_t close = 0;
    taken = BracketText(text, text.find('<', from), close);
    if (close == std::string_view::npos || !HoldsBothBrackets(text.substr(close + 1))) break;
    from = close + 1;
  }
  return {true, std::string(TrimSpaces(taken))};
}

}  // namespace thread
