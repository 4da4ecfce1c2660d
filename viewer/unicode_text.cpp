#include "viewer/unicode_text.h"

#include <algorithm>
#include <optional>

#include "nkf/cp932.h"
#include "nkf/nkf_convert.h"
#include "nkf/nkf_decode.h"
#include "nkf/nkf_mime.h"
#include "platform/encoding.h"
#include "platform/text_bytes.h"
#include "viewer/text_lines.h"

namespace viewer {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

Charset CharsetNamed(std::string_view name) {
  if (name.empty()) return {};
  const std::string lower = platform::AsciiLower(name);
  if (lower == "utf-8" || lower == "utf8") return {CharsetKind::kUtf8, 0};
  const struct {
    std::string_view name;
    unsigned code_page;
  } kSingleByte[] = {
      {"iso-8859-1", 28591},  {"iso-8859-2", 28592},  {"iso-8859-3", 28593},
      {"iso-8859-4", 28594},  {"iso-8859-5", 28595},  {"iso-8859-6", 28596},
      {"iso-8859-7", 28597},  {"iso-8859-8", 28598},  {"iso-8859-9", 28599},
      {"iso-8859-13", 28603}, {"iso-8859-15", 28605}, {"windows-1250", 1250},
      {"windows-1251", 1251}, {"windows-1252", 1252}, {"windows-1253", 1253},
      {"windows-1254", 1254}, {"windows-1255", 1255}, {"windows-1256", 1256},
      {"windows-1257", 1257}, {"windows-1258", 1258}, {"koi8-r", 20866},
      {"koi8-u", 21866},      {"us-ascii", 20127},
  };
  for (const auto& c : kSingleByte) {
    if (lower == c.name) return {CharsetKind::kSingleByte, c.code_page};
  }
  return {CharsetKind::kOther, 0};
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | code_point >> 6));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | code_point >> 12));
    out.push_back(static_cast<char>(0x80 | (code_point >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | code_point >> 18));
    out.push_back(static_cast<char>(0x80 | (code_point >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

std::string ValidUtf8(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;  // text before this is in `out`
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const nkf::Utf8Sequence sequence = nkf::ReadUtf8Sequence(text, pos);
    if (!sequence.valid) {
      out.append(text.data() + copied, pos - copied);
      AppendUtf8(out, kReplacement);
      copied = pos + sequence.length;
    }
    pos += sequence.length;
  }
  out.append(text.data() + copied, text.size() - copied);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    char32_t code_point = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code_point = 0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      code_point = kReplacement;
    }
    AppendUtf8(out, code_point);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out.push_back(byte);
      ++i;
      continue;
    }
    const nkf::Utf8Sequence sequence = nkf::ReadUtf8Sequence(text, i);
    char32_t code_point = sequence.valid ? sequence.code_point : kReplacement;
    i += sequence.length;
    if (code_point >= 0x10000) {
      code_point -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code_point));
    }
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view text) {
  // ASCII needs no conversion, and most of a message is ASCII.
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(text);
  return Utf16ToUtf8(platform::Cp932ToUtf16(text));
}

std::string SingleByteToUtf8(unsigned code_page, std::string_view text) {
  return Utf16ToUtf8(platform::SingleByteToUtf16(code_page, text));
}

namespace {

std::string WordToUtf8(const nkf::EncodedWord& word) {
  switch (word.charset) {
    case nkf::WordCharset::kUtf8:
      return ValidUtf8(word.decoded);
    case nkf::WordCharset::kLatin1: {
      std::string out;
      for (const char c : word.decoded) AppendUtf8(out, static_cast<unsigned char>(c));
      return out;
    }
    case nkf::WordCharset::kShiftJis:
      return Cp932ToUtf8(word.decoded);
    case nkf::WordCharset::kJis:
      return Cp932ToUtf8(nkf::ConvertToShiftJis(word.decoded, nkf::InputCode::Jis));
    case nkf::WordCharset::kEucJp:
      return Cp932ToUtf8(nkf::ConvertToShiftJis(word.decoded, nkf::InputCode::EucJp));
  }
  return {};
}

}  // namespace

std::string DecodeEncodedWords(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t start = text.find("=?", pos);
    if (start == std::string_view::npos) break;
    out.append(text.data() + pos, start - pos);
    const auto word = nkf::ReadEncodedWord(text, start);
    if (!word) {
      out.push_back('=');
      pos = start + 1;
      continue;
    }
    out += WordToUtf8(*word);
    pos = start + word->length;
    const std::size_t white_end = pos + nkf::WhiteSpaceAfterWordLength(text, pos);
    if (white_end < text.size() && text[white_end] == '=') pos = white_end;
    while (pos < white_end) {
      const std::size_t line_end = nkf::LineEndLength(text, pos);
      out.push_back(line_end != 0 ? ' ' : text[pos]);
      pos += line_end != 0 ? line_end + 1 : 1;  // a fold: its line end and first blank
    }
  }
  out.append(text.data() + pos, text.size() - pos);
  return out;
}

std::size_t CodePointsIn(std::string_view text, std::size_t bytes) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes && i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::vector<UnitRun> ShiftJisRuns(std::u16string_view text, const std::vector<UnitRun>& runs) {
  std::vector<UnitRun> kept;
  for (const UnitRun& run : runs) {
    const int last = std::min(run.last, static_cast<int>(text.size()));
    for (int i = std::max(run.first, 0); i < last; ++i) {
      const char16_t unit = text[static_cast<std::size_t>(i)];
      // A surrogate (half of a character beyond the Basic Multilingual Plane)
      // has no CP932 form, nor has its pair.
      const bool has = unit < 0x80 || nkf::UnicodeToCp932(unit).has_value();
      if (!has) continue;
      if (!kept.empty() && kept.back().last == i) {
        kept.back().last = i + 1;
      } else {
        kept.push_back({i, i + 1});
      }
    }
  }
  return kept;
}

}  // namespace viewer
