#pragma once
// The text the viewer shows for one message, prepared without the window: the
// display is a list of lines (TextLines) whose whole text the window places in
// its rich edit control. Nothing here limits the size of the text: a message of
// several megabytes is kept whole (the window must lift its control's default
// limit of 64,000 characters).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/link_scan.h"
#include "viewer/text_lines.h"

namespace viewer {

// Converts a body to Shift-JIS, detecting the input code itself. The converter
// takes a zero-terminated text: it is given the text up to its first NUL byte,
// and its output counts up to its own first NUL byte. An empty converter means
// no converter library is loaded: nothing is converted.
using CodeConverter = std::function<std::string(std::string_view)>;

// The form of the text LoadMessage prepares.
enum class TextForm {
  kShiftJis,  // Shift-JIS bytes as the code converter gives them; links in bytes of them
  kUnicode,   // UTF-8 holding every character of the message; links in bytes of it
};

struct LoadOptions {
  TextForm form = TextForm::kShiftJis;
  // The forced filter: the file as stored (no transfer decoding), everything
  // through the code converter, as it always was.
  bool as_stored = false;
  // False: no links are looked for (Links stays empty), for callers that want the text
  // only (the search index).
  bool find_links = true;
};

// One attachment line of the display.
struct Attachment {
  std::size_t Leaf = 0;    // the part's leaf number (viewer/message_parts.h)
  std::size_t Line = 0;    // its line in Lines (ToggleHeader keeps it up to date)
  std::string Name;        // its decoded name, UTF-8; empty when it has none
  std::string Type;        // its type/subtype, lower case
  std::uint64_t Size = 0;  // its bytes after transfer decoding
};

// The viewer's message state. The caller sets MessagePath, SenderText and
// SubjectText before LoadMessage; the rest is rebuilt by every load.
struct MessageView {
  std::string MessagePath;
  std::string SenderText;
  std::string SubjectText;
  TextLines Lines;        // the display, as shown
  TextLines HeaderLines;  // header lines taken out of the display, ending with its empty line
  bool HeaderShown = false;
  std::vector<Link> Links;  // links of the display's whole text
  std::vector<Attachment> Attachments;  // in the order of their lines
  TextForm Form = TextForm::kShiftJis;  // the form of Lines (and of the header when shown)
};

enum class LoadStatus {
  kShown,       // the message is in Lines
  kCannotOpen,  // the file could not be opened: Lines, HeaderLines and Links are empty
};

// Reads MessagePath into the view: the header moved into HeaderLines; the
// text part the MIME structure shows (viewer/message_parts.h), whatever the
// flags say, its quoted-printable or base64 undone as its header says; the
// body converted when `forced`, or when neither bit of thread::kNoConvertFlags
// is set and no header line holds "x-quenmar-signature:" (any letter case);
// a text/html part read as text instead (viewer/html_text.h, by its own
// charset rules) after ja::kHtmlConvertedNotice and an empty line.
// Then, when the message has attachments: an empty line, ja::kAttachmentNotice
// and one line per attachment (AttachmentLineText), listed in Attachments;
// then each forwarded message (message/rfc822 leaf) under ja::kForwardedNotice:
// its From, Date and Subject decoded (those it has), an empty line and its own text chosen
// and converted the same way, its own forwarded messages after it, at most
// kMaxForwardedDepth deep. The lines of our own (notice, attachment lines,
// forwarded headers) stay out of the conversion. Then the links are found.
// HeaderShown is false afterwards.
//
// With options.as_stored the whole file is shown as stored (attachments
// included), the header split off, converted when `forced` as above.
//
// Converting: in TextForm::kShiftJis through `converter` when one is given. In
// TextForm::kUnicode a body in UTF-8 (declared, or found so by the converter's
// detection) or declared in a single-byte charset Windows knows is decoded
// straight to Unicode, with the encoded words in it decoded; any other body
// (Japanese codes, text with ISO-2022-JP escapes whatever its label) goes
// through `converter` as in TextForm::kShiftJis, and its Shift-JIS is then taken
// to Unicode as the window has always shown it. A body that is not converted is
// Shift-JIS as stored, taken to Unicode the same way.
LoadStatus LoadMessage(MessageView& view, std::uint32_t flags, bool forced,
                       const CodeConverter& converter, const LoadOptions& options = {});

inline constexpr int kMaxForwardedDepth = 8;

// The window caption for a message: "From: " + sender + " - " + subject.
std::string ViewerCaption(std::string_view sender, std::string_view subject);

// The text of the error box shown when the message file cannot be opened.
std::string CannotOpenMessageText(std::string_view path);

// Moves the lines up to and including the first empty line (a line of blanks is
// not empty) from `lines` into `header_lines` (replacing them); without an empty
// line every line moves.
void SplitHeader(TextLines& lines, TextLines& header_lines);

// The conversion decision of LoadMessage (without the converter's presence).
bool NeedsConversion(std::uint32_t flags, bool forced, const TextLines& header_lines);

// Replaces `lines` with the converted whole text, split at each CR LF. The
// converter is called even for an empty text.
void ConvertCodes(TextLines& lines, const CodeConverter& converter);

// Key H: shows HeaderLines above the body, or takes them out again, and finds
// the links again at their new positions (and moves the attachment lines). In TextForm::kUnicode
// the header is shown with its encoded words decoded (UTF-8 and ISO-8859-1 ones keeping every
// character) and its other bytes read as UTF-8 where a line is valid UTF-8,
// else as Shift-JIS; in TextForm::kShiftJis it is shown as stored.
void ToggleHeader(MessageView& view);

}  // namespace viewer
