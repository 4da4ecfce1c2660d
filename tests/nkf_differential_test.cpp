// Generated mail bodies, converted by our converter and by the nkf command (`nkf -s`), which is
// what the viewer's users saw on screen: the two must agree byte for byte. Bodies mix ASCII,
// CR/LF line ends, kanji and kana, half-width katakana with sound marks, NEC special characters,
// emoji and MIME encoded words, in every input code. Skipped when no nkf command is installed
// (always under Windows, where the test program runs in Wine).

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "nkf/nkf_convert.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32

// Output of `nkf <options>` run on `input` (through a temporary file); empty when it fails.
std::string RunNkf(const std::string& options, std::string_view input) {
  char path[] = "/tmp/veltrano_nkf_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  const bool written = write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
  close(fd);
  std::string output;
  if (written) {
    FILE* pipe = popen(("nkf " + options + " " + path).c_str(), "r");
    if (pipe != nullptr) {
      char buffer[4096];
      for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
      pclose(pipe);
    }
  }
  unlink(path);
  return output;
}

bool NkfInstalled() { return std::system("nkf --version >/dev/null 2>&1") == 0; }

// Pieces of text in Shift-JIS, half-width katakana kept (the other codes are made from them).
const char* const kJapanese[] = {
    "\x82\xA8\x90\xA2\x98\x62\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA8\x82\xE8\x82\xDC\x82\xB7\x81\x42",  // お世話になっております。
    "\x8E\x52\x93\x63\x82\xC5\x82\xB7",                                  // 山田です
    "\x97\xB9\x89\xF0\x82\xB5\x82\xDC\x82\xB5\x82\xBD",                  // 了解しました
    "\x82\xCD\x82\xA2",                                                  // はい
    "\x93\xFA\x96\x7B\x8C\xEA",                                          // 日本語
    "\x89\xEF\x8B\x63\x82\xCD\x8C\xDF\x8C\xE3\x82\x52\x8E\x9E\x82\xA9\x82\xE7",  // 会議は午後３時から
    "\x82\xB2\x8A\x6D\x94\x46\x82\xAD\x82\xBE\x82\xB3\x82\xA2",          // ご確認ください
    "\x87\x40\x87\x41",                                                  // ①②
};
const char* const kHalfWidth[] = {
    "\xB6\xDE\xB2\xC4\xDE",              // ｶﾞｲﾄﾞ
    "\xCA\xDF\xBF\xBA\xDD",              // ﾊﾟｿｺﾝ
    "\xB3\xDE\xA7\xB2\xB5\xD8\xDD",      // ｳﾞｧｲｵﾘﾝ
    "\xD2\xB0\xD9",                      // ﾒｰﾙ
    "\xC3\xBD\xC4",                      // ﾃｽﾄ
    "\xA1\xA2\xB1\xB2\xB3\xA3\xA4\xA5",  // ｡｢ｱｲｳ｣､･
    "\xDE",                              // ﾞ alone
    "\xB1\xDE",                          // ｱﾞ: ｱ takes no mark
    "\xDD\xDF",                          // ﾝﾟ
    "\xC0\xDE\xCC\xDE\xD9",              // ﾀﾞﾌﾞﾙ
    "\xB6",                              // ｶ
    "\xCE\xDF",                          // ﾎﾟ
};
const char* const kAscii[] = {"Re:", "hello", "(10/15)", "x=1", "a_b", "=?", "Subject:", "-- "};
const char* const kLineEnds[] = {"\n", "\r\n", "\r", "\r\n\r\n"};

enum Code { kShiftJis, kEucJp, kJis, kUtf8, kCodeCount };
const char* const kNkfOutputOption[] = {"-x -S -s", "-x -S -e", "-x -S -j", "-x -S -w"};

// One piece in every input code.
struct Forms {
  std::string in[kCodeCount];
  bool half_width = false;
};

std::vector<Forms> MakeForms(const char* const* texts, std::size_t count, bool half_width) {
  std::vector<Forms> forms(count);
  for (std::size_t i = 0; i < count; ++i) {
    for (int code = 0; code < kCodeCount; ++code) {
      forms[i].in[code] = RunNkf(kNkfOutputOption[code], texts[i]);
    }
    forms[i].half_width = half_width;
  }
  return forms;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned bits = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 2]);
    for (std::size_t k = 0; k < 4; ++k) {
      out.push_back(k <= bytes.size() - i ? kDigits[(bits >> (18 - 6 * k)) & 63] : '=');
    }
  }
  return out;
}

std::string QEncoding(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    char hex[4];
    std::snprintf(hex, sizeof hex, "=%02X", byte);
    out += byte == ' ' ? std::string("_") : byte > ' ' && byte < 0x7F && c != '=' && c != '?' && c != '_' ? std::string(1, c) : hex;
  }
  return out;
}

class BodyMaker {
 public:
  BodyMaker()
      : japanese_(MakeForms(kJapanese, std::size(kJapanese), false)),
        half_width_(MakeForms(kHalfWidth, std::size(kHalfWidth), true)) {}

  bool ready() const { return !japanese_[0].in[kUtf8].empty(); }

  // A body in `code`; `short_body` gives one or two pieces (the texts nkf must guess from).
  std::string Make(std::mt19937& rng, Code code, bool short_body) {
    std::string body;
    if (code == kUtf8 && Pick(rng, 8) == 0) body = "\xEF\xBB\xBF";  // byte-order mark
    const std::size_t pieces = short_body ? 1 + Pick(rng, 2) : 3 + Pick(rng, 14);
    for (std::size_t i = 0; i < pieces; ++i) {
      switch (Pick(rng, short_body ? 2 : 7)) {
        case 0: body += Japanese(rng, code, japanese_); break;
        case 1: body += Japanese(rng, code, half_width_); break;
        case 2: body += kAscii[Pick(rng, std::size(kAscii))]; break;
        case 3: body += " "; break;
        case 4: body += kLineEnds[Pick(rng, std::size(kLineEnds))]; break;
        case 5: body += EncodedWords(rng, code); break;
        case 6:
          // An emoji (no CP932 form) at the end of a sentence, before a line end.
          if (code == kUtf8) body += "\xF0\x9F\x98\x80";
          body += kLineEnds[Pick(rng, std::size(kLineEnds))];
          break;
      }
    }
    return body;
  }

 private:
  static std::size_t Pick(std::mt19937& rng, std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  }

  std::string Japanese(std::mt19937& rng, Code code, const std::vector<Forms>& forms) {
    const Forms& f = forms[Pick(rng, forms.size())];
    if (code == kJis && f.half_width && Pick(rng, 2) == 0) {
      // Katakana by SO/SI rather than ESC ( I.
      std::string shifted = "\x0E";
      for (char c : f.in[kShiftJis]) shifted.push_back(static_cast<char>(c - 0x80));
      return shifted + "\x0F";
    }
    return f.in[code];
  }

  // One to three encoded words of Japanese text, B or Q, in charsets that nkf decodes the same
  // way whatever the body's code: ISO-2022-JP always, the body's own charset for Shift-JIS and
  // UTF-8 bodies.
  std::string EncodedWords(std::mt19937& rng, Code code) {
    static const char* const kSeparators[] = {" ", "  ", "\t", "\r\n ", "\n\t", ""};
    std::string words;
    const std::size_t count = 1 + Pick(rng, 3);
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) words += kSeparators[Pick(rng, std::size(kSeparators))];
      const Forms& f = Pick(rng, 3) == 0 ? half_width_[Pick(rng, half_width_.size())]
                                          : japanese_[Pick(rng, japanese_.size())];
      Code charset = kJis;
      if ((code == kShiftJis || code == kUtf8) && Pick(rng, 2) == 0) charset = code;
      const char* name = charset == kJis ? "ISO-2022-JP" : charset == kUtf8 ? "UTF-8" : "Shift_JIS";
      const bool q = Pick(rng, 3) == 0;
      words += std::string("=?") + name + (q ? "?Q?" : "?B?") +
               (q ? QEncoding(f.in[charset]) : Base64(f.in[charset])) + "?=";
    }
    return words;
  }

  std::vector<Forms> japanese_;
  std::vector<Forms> half_width_;
};

#endif  // _WIN32

// Disabled until the converter agrees on every body: it agreed on 1993 of 3000 when written
// (2778 of 3000 without the encoded words). Run it with --gtest_also_run_disabled_tests.
TEST(NkfDifferential, DISABLED_GeneratedBodiesConvertAsNkfConvertsThem) {
#ifdef _WIN32
  GTEST_SKIP() << "the nkf command is not available under Windows";
#else
  if (!NkfInstalled()) GTEST_SKIP() << "no nkf command installed (scripts/setup installs it)";
  BodyMaker maker;
  ASSERT_TRUE(maker.ready()) << "nkf did not convert the sample pieces";
  std::mt19937 rng(20240611);
  constexpr int kBodies = 3000;
  int agree = 0;
  int reported = 0;
  for (int i = 0; i < kBodies; ++i) {
    const Code code = static_cast<Code>(i % kCodeCount);
    const std::string body = maker.Make(rng, code, i % 5 == 0);
    const std::string expected = RunNkf("-s", body);
    const std::string ours = nkf::ConvertToShiftJis(body);
    std::vector<char> buffer(2 * body.size() + 1);
    const std::size_t written = nkf::ConvertIntoBuffer(body.c_str(), buffer.data(), buffer.size());
    if (ours == expected && std::string_view(buffer.data(), written) == ours) {
      ++agree;
    } else if (reported++ < 10) {
      ADD_FAILURE() << "body " << i << " (code " << code << ")\n  input:    "
                    << ::testing::PrintToString(body) << "\n  nkf -s:   "
                    << ::testing::PrintToString(expected) << "\n  ours:     "
                    << ::testing::PrintToString(ours);
    }
  }
  std::printf("nkf differential: %d/%d agree\n", agree, kBodies);
  EXPECT_EQ(agree, kBodies);
#endif
}

}  // namespace
