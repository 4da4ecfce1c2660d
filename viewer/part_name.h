#pragma once
// The names of a message's parts: read from their header parameters and
// decoded to UTF-8, and made safe to save under on Windows.
//
// A name is taken from Content-Disposition's filename (its RFC 2231 form
// "filename*" first), else from Content-Type's name (likewise). RFC 2231
// continuations (filename*0*=, filename*1*=, ...) are joined as bytes before
// their charset is decoded, so that an ISO-2022-JP name cut inside an escape
// sequence, or a Shift-JIS one cut between the two bytes of a character,
// reads whole. Mailers also write names in ways the standards forbid, and
// those are read too: encoded words (RFC 2047) inside a quoted parameter, and
// raw 8-bit or JIS bytes, read as ISO-2022-JP when they hold its escapes, as
// UTF-8 when they are valid UTF-8, else as Shift-JIS (CP932).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

struct MimeParameter {
  std::string name;   // lower case, "*" and the piece number kept
  std::string value;  // unquoted (backslash escapes undone), otherwise as written
};

// The media type of a Content-Type value ("Text/HTML; charset=x" gives
// "text/html"); "text/plain" when it names none (no "/").
std::string MediaType(std::string_view field_value);

// The parameters after the first ";" of a Content-Type or
// Content-Disposition value, in order. Malformed ones (no "=") are skipped.
std::vector<MimeParameter> ParseParameters(std::string_view field_value);

// The first parameter called `name` (lower case); empty when none.
std::string ParameterValue(const std::vector<MimeParameter>& parameters, std::string_view name);

// Name bytes in `charset` (empty or unknown: guessed as above) as UTF-8, with
// encoded words decoded and control characters (NUL, CR, LF, ...) and
// byte-order marks dropped.
std::string DecodeNameText(std::string_view bytes, std::string_view charset);

// The decoded name of a part from its Content-Disposition and Content-Type
// parameters, in the order above; empty when it has none.
std::string PartFileName(const std::vector<MimeParameter>& disposition,
                         const std::vector<MimeParameter>& content_type);

// Names longer than this many characters are cut (the extension kept).
inline constexpr std::size_t kMaxSafeNameChars = 120;

// A UTF-8 name that Windows can create inside a chosen folder and nowhere
// else: only what follows the last "/" or "\"; the characters Windows forbids
// (<>:"/\|?* and controls) as "_"; byte-order marks dropped; blanks trimmed, and trailing dots; a
// device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension) given a
// leading "_"; at most kMaxSafeNameChars characters; `fallback` when nothing
// is left.
std::string SafeFileName(std::string_view name, std::string_view fallback = "attachment");

// `name` when `exists` says it is free, else the first free of "stem (2).ext",
// "stem (3).ext", ... (after 9,999 tries the last one, taken or not).
std::string NumberedFileName(const std::string& name,
                             const std::function<bool(const std::string&)>& exists);

}  // namespace viewer
