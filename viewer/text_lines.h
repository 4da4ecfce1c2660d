#pragma once
// The viewer's display is a list of lines. Its whole text is the lines joined
// by CR LF with no line end after the last line; byte positions of links count
// in that text.

#include <string>
#include <string_view>
#include <vector>

namespace viewer {

using TextLines = std::vector<std::string>;

// The lines joined by CR LF ("" for no lines).
std::string JoinLines(const TextLines& lines);

// Splits a whole text at each CR LF; an empty text gives no lines. A lone CR or
// LF stays inside its line.
TextLines SplitAtCrLf(std::string_view text);

}  // namespace viewer
