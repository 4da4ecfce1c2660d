#include "tools/mkmailbox/sample_text.h"

#include <array>

#include "tools/mkmailbox/ja_texts.h"

namespace mkmailbox {
namespace {

// The Japanese texts are written once, in UTF-8, in tools/mkmailbox/ja_texts.txt; the build
// makes their bytes in every encoding the mail uses, with the script that makes the layers'
// CP932 texts. Made at build time rather than converted at run time, the texts stay constant
// byte strings, so these tables need no conversion code and no storage to keep results in.
// clang-format off
const Person kPeople[] = {
    {ja::kYamadaTaro, ja::iso2022jp::kYamadaTaro, "taro.yamada@example.co.jp"},
    {ja::kSatoHanako, ja::iso2022jp::kSatoHanako, "hanako.sato@example.ne.jp"},
    {ja::kSuzukiIchiro, ja::iso2022jp::kSuzukiIchiro, "ichiro.suzuki@example.co.jp"},
    {ja::kTanakaMisaki, ja::iso2022jp::kTanakaMisaki, "misaki.tanaka@example.or.jp"},
    {ja::kTakahashiKen, ja::iso2022jp::kTakahashiKen, "ken.takahashi@example.jp"},
    {nullptr, nullptr, "info@example.co.jp"},
    {"John Smith", nullptr, "john.smith@example.com"},
    {"Alice Brown", nullptr, "alice@example.org"},
};

const SubjectText kSubjects[] = {
    {ja::kMeetingSchedule, ja::iso2022jp::kMeetingSchedule},
    {ja::kSendingDocuments, ja::iso2022jp::kSendingDocuments},
    {ja::kNextWeeksMeeting, ja::iso2022jp::kNextWeeksMeeting},
    {ja::kBuildFails, ja::iso2022jp::kBuildFails},
    {ja::kNewRelease, ja::iso2022jp::kNewRelease},
    {ja::kSettingsFileQuestion, ja::iso2022jp::kSettingsFileQuestion},
    {ja::kServerDowntime, ja::iso2022jp::kServerDowntime},
    {ja::kWeekendPlans, ja::iso2022jp::kWeekendPlans},
    {ja::kSendingPhotos, ja::iso2022jp::kSendingPhotos},
    {ja::kTripPlan, ja::iso2022jp::kTripPlan},
    {"Weekly report", nullptr},
    {"Patch: fix crash on startup", nullptr},
    {"Question about threading", nullptr},
    {"Lunch?", nullptr},
};

// Columns: ISO-2022-JP, EUC-JP, Shift-JIS, UTF-8.
const std::array<const char*, 4> kJapaneseSentences[] = {
    {{ja::iso2022jp::kGreeting, ja::eucjp::kGreeting, ja::kGreeting, ja::utf8::kGreeting}},
    {{ja::iso2022jp::kDocumentAttached, ja::eucjp::kDocumentAttached, ja::kDocumentAttached, ja::utf8::kDocumentAttached}},
    {{ja::iso2022jp::kSeeThePageBelow, ja::eucjp::kSeeThePageBelow, ja::kSeeThePageBelow, ja::utf8::kSeeThePageBelow}},
    {{ja::iso2022jp::kMeetingMoved, ja::eucjp::kMeetingMoved, ja::kMeetingMoved, ja::utf8::kMeetingMoved}},
    {{ja::iso2022jp::kAskAnyTime, ja::eucjp::kAskAnyTime, ja::kAskAnyTime, ja::utf8::kAskAnyTime}},
    {{ja::iso2022jp::kRegards, ja::eucjp::kRegards, ja::kRegards, ja::utf8::kRegards}},
};

const char* const kEnglishSentences[] = {
    "Thank you for your message.",
    "I have attached the document; please check it.",
    "Details are on the page below.",
    "Tomorrow's meeting has been moved to 3 p.m.",
    "If you have any questions, please let me know.",
    "Best regards,",
};

const char* const kLinkLines[] = {
    "http://www.example.co.jp/news/2024/0401.html",
    "https://example.com/docs/setup?lang=ja#install",
    "ftp://ftp.example.org/pub/veltrano/demo-1.0.tar.gz",
    "Mail: support@example.co.jp",
    "See https://www.example.jp/faq/ or write to help-desk@example.ne.jp",
};

// clang-format on

static_assert(std::size(kEnglishSentences) == std::size(kJapaneseSentences));

}  // namespace

const char* CharsetName(Charset charset) {
  switch (charset) {
    case Charset::kIso2022Jp:
      return "ISO-2022-JP";
    case Charset::kEucJp:
      return "EUC-JP";
    case Charset::kShiftJis:
      return "Shift_JIS";
    case Charset::kUtf8:
      return "UTF-8";
    case Charset::kUsAscii:
      return "US-ASCII";
  }
  return "US-ASCII";
}

const char* TransferEncodingName(Charset charset) {
  return charset == Charset::kIso2022Jp || charset == Charset::kUsAscii ? "7bit" : "8bit";
}

const char* BodySentence(Charset charset, std::size_t index) {
  if (charset == Charset::kUsAscii) return kEnglishSentences[index];
  return kJapaneseSentences[index][static_cast<std::size_t>(charset)];
}

std::size_t BodySentenceCount() { return std::size(kJapaneseSentences); }

const Person& PersonAt(std::size_t index) { return kPeople[index]; }
std::size_t PersonCount() { return std::size(kPeople); }

const SubjectText& SubjectAt(std::size_t index) { return kSubjects[index]; }
std::size_t SubjectCount() { return std::size(kSubjects); }

const char* LinkLine(std::size_t index) { return kLinkLines[index]; }
std::size_t LinkLineCount() { return std::size(kLinkLines); }

}  // namespace mkmailbox
