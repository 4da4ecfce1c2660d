#include "viewer/part_name.h"

#include <algorithm>
#include <map>

#include "nkf/nkf_convert.h"
#include "nkf/nkf_mime.h"
#include "platform/text_bytes.h"
#include "viewer/unicode_text.h"

namespace viewer {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasEightBitByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// "%XX" undone; a "%" without two hex digits is kept.
std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? nkf::HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? nkf::HexValue(text[i + 2]) : -1;
    if (low < 0) {
      out.push_back(text[i]);
      continue;
    }
    out.push_back(static_cast<char>(high << 4 | low));
    i += 2;
  }
  return out;
}

std::string JapaneseToUtf8(std::string_view bytes, nkf::InputCode code) {
  return Cp932ToUtf8(nkf::ConvertToShiftJis(bytes, code));
}

// Bytes without a usable charset, read as Japanese mail writes them.
std::string GuessedToUtf8(std::string_view bytes) {
  if (nkf::DetectInputCode(bytes) == nkf::InputCode::Jis) {
    return JapaneseToUtf8(bytes, nkf::InputCode::Jis);
  }
  if (!HasEightBitByte(bytes) || ValidUtf8(bytes) == bytes) return std::string(bytes);
  return Cp932ToUtf8(bytes);
}

std::string CharsetToUtf8(std::string_view bytes, std::string_view charset) {
  const std::string lower = platform::AsciiLower(Trimmed(charset));
  if (lower.starts_with("iso-2022-jp")) return JapaneseToUtf8(bytes, nkf::InputCode::Jis);
  if (lower == "euc-jp" || lower == "x-euc-jp") return JapaneseToUtf8(bytes, nkf::InputCode::EucJp);
  if (lower == "shift_jis" || lower == "shift-jis" || lower == "sjis" || lower == "x-sjis" ||
      lower == "windows-31j" || lower == "cp932" || lower == "ms932") {
    return Cp932ToUtf8(bytes);
  }
  const Charset known = CharsetNamed(lower);
  if (known.kind == CharsetKind::kUtf8) return ValidUtf8(bytes);
  if (known.kind == CharsetKind::kSingleByte && HasEightBitByte(bytes)) {
    return SingleByteToUtf8(known.code_page, bytes);
  }
  return GuessedToUtf8(bytes);
}

// RFC 2231's value "charset'language'text": the charset, and the text after it
// (the whole value when it has no two quotes).
std::string_view SplitCharset(std::string_view value, std::string& charset) {
  const std::size_t first = value.find('\'');
  const std::size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
  if (second == std::string_view::npos) return value;
  charset = value.substr(0, first);
  return value.substr(second + 1);
}

// The name parameter `base` ("filename" or "name") of one header field,
// decoded; empty when the field has none.
std::string NamedParameter(const std::vector<MimeParameter>& parameters, std::string_view base) {
  std::string plain;
  bool has_plain = false;
  std::map<unsigned, const MimeParameter*> pieces;  // by number; 0 also for "name*"
  for (const MimeParameter& p : parameters) {
    std::string_view name = p.name;
    if (!name.starts_with(base)) continue;
    name.remove_prefix(base.size());
    if (name.empty()) {
      if (!has_plain) plain = p.value;
      has_plain = true;
      continue;
    }
    if (name[0] != '*') continue;
    name.remove_prefix(1);
    if (name.empty() || name == "*") {
      pieces.emplace(0, &p);
      continue;
    }
    unsigned number = 0;
    std::size_t digits = 0;
    while (digits < name.size() && digits < 4 && name[digits] >= '0' && name[digits] <= '9') {
      number = number * 10 + static_cast<unsigned>(name[digits] - '0');
      ++digits;
    }
    const std::string_view rest = name.substr(digits);
    if (digits > 0 && (rest.empty() || rest == "*")) pieces.emplace(number, &p);
  }
  if (pieces.empty()) return has_plain ? DecodeNameText(plain, "") : std::string();

  std::string charset;
  std::string joined;
  for (const auto& [number, p] : pieces) {
    const bool encoded = p->name.back() == '*';
    std::string_view value = p->value;
    if (encoded && number == pieces.begin()->first) value = SplitCharset(value, charset);
    joined += encoded ? PercentDecoded(value) : std::string(value);
  }
  return DecodeNameText(joined, charset);
}

bool IsForbidden(char32_t c) {
  return c < 0x20 || c == 0x7F ||
         (c < 0x80 &&
          std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos);
}

// The code points of valid UTF-8 (what ValidUtf8 gives).
std::u32string CodePoints(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    out.push_back(c);
    i += length;
  }
  return out;
}

std::string FromCodePoints(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) AppendUtf8(out, c);
  return out;
}

bool IsDeviceName(std::u32string_view stem) {
  while (!stem.empty() && stem.back() == U' ') stem.remove_suffix(1);
  std::string ascii;
  for (const char32_t c : stem) {
    if (c >= 0x80) return false;
    ascii.push_back(static_cast<char>(c));
  }
  ascii = platform::AsciiUpper(ascii);
  if (ascii == "CON" || ascii == "PRN" || ascii == "AUX" || ascii == "NUL") return true;
  return ascii.size() == 4 && (ascii.starts_with("COM") || ascii.starts_with("LPT")) &&
         ascii[3] >= '1' && ascii[3] <= '9';
}

}  // namespace

std::string MediaType(std::string_view field_value) {
  const std::string type =
      platform::AsciiLower(Trimmed(field_value.substr(0, field_value.find(';'))));
  return type.find('/') == std::string::npos ? "text/plain" : type;
}

std::vector<MimeParameter> ParseParameters(std::string_view value) {
  std::vector<MimeParameter> parameters;
  std::size_t pos = value.find(';');
  while (pos < value.size()) {
    ++pos;  // past ";"
    const std::size_t equals = value.find('=', pos);
    const std::size_t semicolon = value.find(';', pos);
    if (equals == std::string_view::npos) break;
    if (semicolon < equals) {
      pos = semicolon;
      continue;
    }
    MimeParameter p;
    p.name = platform::AsciiLower(Trimmed(value.substr(pos, equals - pos)));
    pos = equals + 1;
    while (pos < value.size() && IsBlank(value[pos])) ++pos;
    if (pos < value.size() && value[pos] == '"') {
      for (++pos; pos < value.size() && value[pos] != '"'; ++pos) {
        if (value[pos] == '\\' && pos + 1 < value.size()) ++pos;
        p.value.push_back(value[pos]);
      }
      pos = value.find(';', pos);
    } else {
      const std::size_t end = value.find(';', pos);
      p.value = Trimmed(value.substr(pos, end == std::string_view::npos ? end : end - pos));
      pos = end;
    }
    if (!p.name.empty()) parameters.push_back(std::move(p));
  }
  return parameters;
}

std::string ParameterValue(const std::vector<MimeParameter>& parameters, std::string_view name) {
  for (const MimeParameter& p : parameters) {
    if (p.name == name) return p.value;
  }
  return {};
}

std::string DecodeNameText(std::string_view bytes, std::string_view charset) {
  const std::string decoded = DecodeEncodedWords(CharsetToUtf8(bytes, charset));
  std::string out;
  for (const char c : decoded) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out.push_back(c);
  }
  // Byte-order marks are invisible in a name.
  for (std::size_t at = out.find(kByteOrderMark); at != std::string::npos;
       at = out.find(kByteOrderMark, at)) {
    out.erase(at, kByteOrderMark.size());
  }
  return out;
}

std::string PartFileName(const std::vector<MimeParameter>& disposition,
                         const std::vector<MimeParameter>& content_type) {
  std::string name = NamedParameter(disposition, "filename");
  if (name.empty()) name = NamedParameter(content_type, "name");
  return name;
}

std::string SafeFileName(std::string_view name, std::string_view fallback) {
  std::u32string text = CodePoints(ValidUtf8(name));
  const std::size_t slash = text.find_last_of(U"/\\");
  if (slash != std::u32string::npos) text.erase(0, slash + 1);
  for (char32_t& c : text) {
    if (IsForbidden(c)) c = U'_';
  }
  // A byte-order mark is invisible, and would vanish from the name's first place.
  std::erase(text, U'\uFEFF');
  const auto trim_end = [&text] {
    while (!text.empty() && (text.back() == U' ' || text.back() == U'.')) text.pop_back();
  };
  trim_end();
  while (!text.empty() && text.front() == U' ') text.erase(0, 1);
  if (text.size() > kMaxSafeNameChars) {
    // Keep a short extension; cut the stem.
    const std::size_t dot = text.rfind(U'.');
    const std::size_t extension =
        dot != std::u32string::npos && text.size() - dot <= 16 ? text.size() - dot : 0;
    text = text.substr(0, kMaxSafeNameChars - extension) + text.substr(text.size() - extension);
    trim_end();
  }
  if (IsDeviceName(std::u32string_view(text).substr(0, text.find(U'.')))) text.insert(0, U"_");
  if (text.empty()) return std::string(fallback);
  return FromCodePoints(text);
}

std::string NumberedFileName(const std::string& name,
                             const std::function<bool(const std::string&)>& exists) {
  if (!exists(name)) return name;
  const std::size_t dot = name.rfind('.');
  const std::size_t split = dot == std::string::npos || dot == 0 ? name.size() : dot;
  std::string candidate;
  for (int n = 2; n <= 10000; ++n) {
    candidate = name.substr(0, split) + " (" + std::to_string(n) + ")" + name.substr(split);
    if (!exists(candidate)) break;
  }
  return candidate;
}

}  // namespace viewer
