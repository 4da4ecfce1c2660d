#include "tools/mkmailbox/message_text.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "tools/mkmailbox/index_format.h"
#include "tools/mkmailbox/random.h"

namespace mkmailbox {
namespace {

constexpr std::size_t kMaxReferences = 10;

std::string_view DomainOf(const char* address) {
  const std::string_view text(address);
  const std::size_t at = text.find('@');
  return at == std::string_view::npos ? text : text.substr(at + 1);
}

const Person& AuthorOf(const FolderContext& folder, const PlannedMessage& message) {
  return folder.sent_folder ? *folder.owner : PersonAt(message.sender);
}

// Recipient of sent mail: the planned person, or the next one when that is the owner.
const Person& RecipientOf(const FolderContext& folder, const PlannedMessage& message) {
  const Person* person = &PersonAt(message.sender);
  if (person == folder.owner) person = &PersonAt((message.sender + 1u) % PersonCount());
  return *person;
}

std::string ListTag(const FolderContext& folder, const PlannedMessage& message) {
  if (folder.list_name == nullptr) return {};
  char tag[64];
  std::snprintf(tag, sizeof tag, "[%s:%04u] ", folder.list_name,
                static_cast<unsigned>(message.arrival + 1));
  return tag;
}

std::string ReplyMarks(const PlannedMessage& message) {
  std::string marks;
  for (int i = 0; i < message.reply_marks; ++i) {
    marks += (i == 0 && message.upper_reply_mark) ? "RE: " : "Re: ";
  }
  return marks;
}

std::string EncodedWord(const char* jis) { return "=?ISO-2022-JP?B?" + EncodeBase64(jis) + "?="; }

std::string AddressField(const Person& person) {
  if (person.display_sjis == nullptr) return person.address;
  const std::string name =
      person.display_jis ? EncodedWord(person.display_jis) : person.display_sjis;
  return name + " <" + person.address + ">";
}

void AddLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

// Message-IDs of the ancestors that have one, the thread's root first.
std::vector<std::string> ReferencedIds(const FolderContext& folder, const FolderPlan& plan,
                                       std::uint32_t index) {
  std::vector<std::string> ids;
  std::int32_t ancestor = plan.messages[index].parent;
  while (ancestor >= 0 && ids.size() < kMaxReferences) {
    std::string id = MessageIdOf(folder, plan, static_cast<std::uint32_t>(ancestor));
    if (!id.empty()) ids.push_back("<" + id + ">");
    ancestor = plan.messages[static_cast<std::uint32_t>(ancestor)].parent;
  }
  std::reverse(ids.begin(), ids.end());
  return ids;
}

// In-Reply-To and References in the layouts mailers use: the identifier alone,
// after a comment, or on a continuation line; References one or two
// identifiers per line, or left out.
void AddThreadHeaders(std::string& out, const FolderContext& folder, const FolderPlan& plan,
                      std::uint32_t index) {
  const PlannedMessage& message = plan.messages[index];
  if (message.parent < 0) return;
  const PlannedMessage& parent = plan.messages[static_cast<std::uint32_t>(message.parent)];
  const std::string parent_id =
      MessageIdOf(folder, plan, static_cast<std::uint32_t>(message.parent));
  const bool with_in_reply_to = !parent_id.empty() && (message.variant >> 8) % 10 != 0;
  if (with_in_reply_to) {
    const std::string bracketed = "<" + parent_id + ">";
    const std::string parent_date = FormatMailDate(parent.date);
    switch (message.variant & 3) {
      case 2:
        AddLine(out, "In-Reply-To: Your message of \"" + parent_date + "\"");
        AddLine(out, "\t" + bracketed);
        break;
      case 3:
        AddLine(out, "In-Reply-To: " + bracketed + " (" + AuthorOf(folder, parent).address +
                         "'s message of \"" + parent_date + "\")");
        break;
      default:
        AddLine(out, "In-Reply-To: " + bracketed);
    }
  }
  const std::vector<std::string> ids = ReferencedIds(folder, plan, index);
  const std::uint32_t layout = (message.variant >> 2) & 3;
  if (ids.empty() || (layout == 3 && with_in_reply_to)) return;
  const std::size_t per_line = layout == 2 ? 2 : 1;
  const char* indent = (message.variant & 0x10) ? "\t" : " ";
  std::string line = "References:";
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (i > 0 && i % per_line == 0) {
      AddLine(out, line);
      line = indent;
    } else {
      line += ' ';
    }
    line += ids[i];
  }
  AddLine(out, line);
}

void AddBodyText(std::string& out, const FolderContext& folder, const FolderPlan& plan,
                 std::uint32_t index, Random& rng) {
  const PlannedMessage& message = plan.messages[index];
  const auto charset = static_cast<Charset>(message.charset);
  const auto sentence_count = static_cast<std::uint32_t>(BodySentenceCount());
  if (message.parent >= 0) {
    const PlannedMessage& parent = plan.messages[static_cast<std::uint32_t>(message.parent)];
    AddLine(out, "On " + FormatMailDate(parent.date) + ", " + AuthorOf(folder, parent).address +
                     " wrote:");
    AddLine(out, std::string("> ") + BodySentence(charset, 1 + rng.Below(sentence_count - 1)));
    AddLine(out, "");
  }
  AddLine(out, BodySentence(charset, 0));
  const std::uint32_t lines = 1 + rng.Below(3);
  for (std::uint32_t i = 0; i < lines; ++i) {
    AddLine(out, BodySentence(charset, 1 + rng.Below(sentence_count - 1)));
  }
  if (rng.Percent(50)) {
    AddLine(out, "");
    AddLine(out, LinkLine(rng.Below(static_cast<std::uint32_t>(LinkLineCount()))));
  }
  AddLine(out, "");
  AddLine(out, "-- ");
  AddLine(out, AuthorOf(folder, message).address);
}

void AddAttachment(std::string& out, std::uint32_t index, Random& rng) {
  std::string data(200 + rng.Below(1300), '\0');
  for (char& byte : data) byte = static_cast<char>(rng.Below(256));
  char name[32];
  std::snprintf(name, sizeof name, "data%05u.bin", static_cast<unsigned>(index % 100000));
  AddLine(out, std::string("Content-Type: application/octet-stream; name=\"") + name + "\"");
  AddLine(out, "Content-Transfer-Encoding: base64");
  AddLine(out, std::string("Content-Disposition: attachment; filename=\"") + name + "\"");
  AddLine(out, "");
  const std::string encoded = EncodeBase64(data);
  for (std::size_t pos = 0; pos < encoded.size(); pos += 76) AddLine(out, encoded.substr(pos, 76));
}

}  // namespace

std::string MessageIdOf(const FolderContext& folder, const FolderPlan& plan, std::uint32_t index) {
  const PlannedMessage& message = plan.messages[index];
  if (!message.has_message_id) return {};
  char local[64];
  std::snprintf(local, sizeof local, "%08X.%08X.%u.%u@", static_cast<unsigned>(message.date),
                static_cast<unsigned>(message.variant), static_cast<unsigned>(folder.folder_number),
                static_cast<unsigned>(index));
  return local + std::string(DomainOf(AuthorOf(folder, message).address));
}

std::string IndexSender(const FolderContext& folder, const PlannedMessage& message) {
  const Person& author = AuthorOf(folder, message);
  return author.display_sjis ? author.display_sjis : author.address;
}

std::string IndexSubject(const FolderContext& folder, const PlannedMessage& message) {
  return " " + ListTag(folder, message) + ReplyMarks(message) + SubjectAt(message.subject).sjis;
}

std::string ComposeMessage(const FolderContext& folder, const FolderPlan& plan,
                           std::uint32_t index) {
  const PlannedMessage& message = plan.messages[index];
  Random rng(message.variant * 0x100000001ULL + index);
  const Person& author = AuthorOf(folder, message);
  const std::string date = FormatMailDate(message.date);
  std::string out;
  out.reserve(message.multipart ? 4096 : 1024);
  if (!folder.sent_folder) {
    AddLine(out, std::string("Return-Path: <") + author.address + ">");
    const std::string host = "mail." + std::string(DomainOf(author.address));
    AddLine(out, "Received: from " + host + " (" + host + " [192.0.2." +
                     std::to_string(1 + message.variant % 250) + "])");
    AddLine(out, "\tby mx.example.jp with ESMTP id " + MessageName(message.variant));
    AddLine(out, std::string("\tfor <") + folder.owner->address + ">; " + date);
  }
  AddLine(out, "Date: " + date);
  AddLine(out, "From: " + AddressField(author));
  if (folder.list_name != nullptr) {
    AddLine(out, std::string("To: ") + folder.list_name + "@ml.example.org");
  } else {
    AddLine(out, "To: " + AddressField(folder.sent_folder ? RecipientOf(folder, message)
                                                          : *folder.owner));
  }
  const SubjectText& subject = SubjectAt(message.subject);
  AddLine(out, "Subject: " + ListTag(folder, message) + ReplyMarks(message) +
                   (subject.jis ? EncodedWord(subject.jis) : std::string(subject.sjis)));
  const std::string id = MessageIdOf(folder, plan, index);
  if (!id.empty())
    AddLine(out, ((message.variant & 0x20) ? "Message-Id: <" : "Message-ID: <") + id + ">");
  AddThreadHeaders(out, folder, plan, index);
  if (folder.list_name != nullptr) {
    AddLine(out, std::string("Sender: owner-") + folder.list_name + "@ml.example.org");
    AddLine(out, std::string("X-ML-Name: ") + folder.list_name);
    AddLine(out, std::string("X-Sequence: ") + folder.list_name + " " +
                     std::to_string(message.arrival + 1));
  }
  AddLine(out, "X-Mailer: Demo Mailer 2.4");
  AddLine(out, "MIME-Version: 1.0");
  const auto charset = static_cast<Charset>(message.charset);
  const std::string text_type =
      std::string("Content-Type: text/plain; charset=") + CharsetName(charset);
  const std::string text_encoding =
      std::string("Content-Transfer-Encoding: ") + TransferEncodingName(charset);
  if (!message.multipart) {
    AddLine(out, text_type);
    AddLine(out, text_encoding);
    AddLine(out, "");
    AddBodyText(out, folder, plan, index, rng);
    return out;
  }
  // The boundary parameter quoted on the Content-Type line, or unquoted on a
  // continuation line.
  const std::string boundary =
      "VtPart_" + MessageName(message.variant) + "_" + std::to_string(index);
  if (message.variant & 0x40) {
    AddLine(out, "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"");
  } else {
    AddLine(out, "Content-Type: multipart/mixed;");
    AddLine(out, "\tboundary=" + boundary);
  }
  AddLine(out, "");
  AddLine(out, "This is a multi-part message in MIME format.");
  AddLine(out, "");
  AddLine(out, "--" + boundary);
  AddLine(out, text_type);
  AddLine(out, text_encoding);
  AddLine(out, "");
  AddBodyText(out, folder, plan, index, rng);
  AddLine(out, "");
  AddLine(out, "--" + boundary);
  AddAttachment(out, index, rng);
  AddLine(out, "");
  AddLine(out, "--" + boundary + "--");
  return out;
}

std::string FormatMailDate(std::uint32_t unix_time) {
  static const char* const kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::int64_t local = static_cast<std::int64_t>(unix_time) + 9 * 3600;
  const std::int64_t days = local / 86400;
  const std::int64_t seconds = local % 86400;
  // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = shifted / 146097;
  const std::int64_t day_of_era = shifted - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_index = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
  const int month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
  const int year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  char text[48];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0900", kWeekdays[days % 7],
                day, kMonths[month - 1], year, static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

}  // namespace mkmailbox
