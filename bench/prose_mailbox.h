#pragma once
// A generated mailbox of mail-sized Japanese prose for the full-text benchmarks: one
// account of ten folders, each message a header and a body of 200 to 1,200 characters
// of sentences drawn from a vocabulary of kanji compounds, kana endings and particles
// (Zipf-distributed, so that common pairs are very common and rare ones rare, as in
// prose), with some ASCII words and numbers. Half the bodies are ISO-2022-JP (7bit),
// half UTF-8 (8bit), as the two encodings of Japanese mail. Deterministic from a seed.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_mailbox.h"
#include "platform/encoding.h"
#include "tools/mkmailbox/index_format.h"
#include "viewer/unicode_text.h"

namespace bench {

class ProseWriter {
 public:
  explicit ProseWriter(std::uint32_t seed) : random_(seed) {
    // Kanji from JIS level 1 (Shift-JIS 0x889F-0x9872), compounds of one to three.
    std::vector<std::string> kanji;
    for (unsigned lead = 0x88; lead <= 0x98; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F || (lead == 0x88 && trail < 0x9F) || (lead == 0x98 && trail > 0x72)) {
          continue;
        }
        kanji.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    const char* const endings[] = {"",   "",   "",     "する", "した",     "して",   "の",
                                   "な", "に", "です", "ます", "しました", "される", "的な"};
    std::vector<std::string> ending_sjis;
    for (const char* e : endings) ending_sjis.push_back(ToSjis(e));
    for (int i = 0; i < 6000; ++i) {
      std::string word;
      const int length = 1 + static_cast<int>(random_() % 3);
      for (int k = 0; k < length; ++k) word += kanji[Zipf(kanji.size())];
      word += ending_sjis[random_() % ending_sjis.size()];
      words_.push_back(word);
    }
    for (const char* p : {"は", "が", "を", "に", "で", "と", "も", "の", "から", "まで", "より",
                          "、", "について", "として", "ため"}) {
      particles_.push_back(ToSjis(p));
    }
    for (const char* a : {"PDF", "Excel", "meeting", "OK", "version 2.1", "URL", "test"}) {
      ascii_.push_back(a);
    }
    period_ = ToSjis("。");
  }

  // A body of about `chars` characters, Shift-JIS, lines of about 35 characters.
  std::string Body(int chars) {
    std::string body;
    std::size_t line_start = 0;
    while (body.size() < 2 * static_cast<std::size_t>(chars)) {
      const int sentence = 4 + static_cast<int>(random_() % 10);
      for (int w = 0; w < sentence; ++w) {
        body +=
            random_() % 20 == 0 ? ascii_[random_() % ascii_.size()] : words_[Zipf(words_.size())];
        body += particles_[random_() % particles_.size()];
        if (body.size() - line_start > 70) {
          body += "\r\n";
          line_start = body.size();
        }
      }
      body += period_;
    }
    return body + "\r\n";
  }

  // Vocabulary word `rank` (0 the most common), Shift-JIS.
  const std::string& Word(std::size_t rank) const { return words_[rank]; }

  std::string Subject() { return words_[Zipf(words_.size())] + particles_[0] + words_[Zipf(200)]; }
  int Between(int low, int high) { return low + static_cast<int>(random_() % (high - low + 1)); }

  static std::string ToSjis(const char* utf8) {
    return platform::Utf16ToCp932(viewer::Utf8ToUtf16(utf8));
  }

 private:
  // An index from 0 to n - 1, the first ones far more often (Zipf, exponent 1).
  std::size_t Zipf(std::size_t n) {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    const double rank = std::exp(u * std::log(static_cast<double>(n) + 1.0)) - 1.0;
    return std::min(n - 1, static_cast<std::size_t>(rank));
  }

  std::mt19937 random_;
  std::vector<std::string> words_;
  std::vector<std::string> particles_;
  std::vector<std::string> ascii_;
  std::string period_;
};

// Shift-JIS to ISO-2022-JP (JIS X 0208 between ESC $ B and ESC ( B).
inline std::string SjisToJis(const std::string& sjis) {
  std::string out;
  bool kanji = false;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    auto lead = static_cast<unsigned char>(sjis[i]);
    const bool double_byte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
    if (double_byte && i + 1 < sjis.size()) {
      if (!kanji) out += "\x1b$B";
      kanji = true;
      auto trail = static_cast<unsigned char>(sjis[++i]);
      unsigned row = (lead <= 0x9F ? lead - 0x70 : lead - 0xB0) * 2;
      if (trail < 0x9F) {
        --row;
        trail = static_cast<unsigned char>(trail - (trail > 0x7F ? 0x20 : 0x1F));
      } else {
        trail = static_cast<unsigned char>(trail - 0x7E);
      }
      out += static_cast<char>(row);
      out += static_cast<char>(trail);
    } else {
      if (kanji) out += "\x1b(B";
      kanji = false;
      out += static_cast<char>(lead);
    }
  }
  if (kanji) out += "\x1b(B";
  return out;
}

struct ProseMailbox {
  std::uint64_t mailbox_bytes = 0;  // message files and indexes
  std::vector<std::string> folders;
};

// Writes `count` messages into `mailbox_dir`/Acc1 (ten folders).
inline ProseMailbox WriteProseMailbox(const std::string& mailbox_dir, int count) {
  ProseMailbox made;
  const std::string account = platform::JoinPath(mailbox_dir, "Acc1");
  std::filesystem::create_directories(account);
  WriteFile(platform::JoinPath(mailbox_dir, "Mailbox.ini"), "[Mailbox]\r\n");
  std::string order = "I";
  for (int f = 1; f < 10; ++f) order += "00" + std::to_string(f);
  WriteFile(platform::JoinPath(account, "Account.ini"),
            "[Property]\r\nTitle=Prose\r\nOrder=" + order + "\r\n");
  ProseWriter prose(2026);
  const int per_folder = (count + 9) / 10;
  std::uint32_t stamp = 1700000000;
  int number = 0;
  for (int f = 0; f < 10 && number < count; ++f) {
    const std::string name = f == 0 ? "Inbox.box" : "User00" + std::to_string(f) + ".box";
    const std::string dir = platform::JoinPath(account, name);
    std::filesystem::create_directories(dir);
    made.folders.push_back(dir);
    std::string index;
    int in_folder = 0;
    for (; in_folder < per_folder && number < count; ++in_folder) {
      ++number;
      stamp += static_cast<std::uint32_t>(prose.Between(60, 1800));
      const std::string body = prose.Body(prose.Between(200, 1200));
      const std::string subject = prose.Subject();
      const bool jis = number % 2 == 0;
      std::string file = "From: user" + std::to_string(number % 300) + "@example.jp\r\n";
      file += "Subject: (prose)\r\nMessage-ID: <" + std::to_string(number) + "@prose.example>\r\n";
      file += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=";
      file += jis ? "ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
                  : "UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
      file += jis ? SjisToJis(body) : viewer::Cp932ToUtf8(body);
      const std::string file_name = mkmailbox::MessageName(static_cast<std::uint32_t>(number));
      WriteFile(platform::JoinPath(dir, file_name + ".qnm"), file);
      mkmailbox::IndexEntry entry;
      entry.name = file_name;
      entry.file_size = static_cast<std::uint32_t>(file.size());
      entry.date_stamp = stamp;
      entry.sender = "user" + std::to_string(number % 300) + "@example.jp";
      entry.subject = subject;
      mkmailbox::AppendIndexRecord(index, entry);
      made.mailbox_bytes += file.size();
    }
    WriteFile(platform::JoinPath(dir, "Entry.lst"), index);
    WriteFile(platform::JoinPath(dir, "Entry.ini"),
              "[Property]\r\nTotal=" + std::to_string(in_folder) + "\r\n");
    made.mailbox_bytes += index.size();
  }
  return made;
}

}  // namespace bench
