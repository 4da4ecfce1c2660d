#pragma once
// HTML mail as plain text for the viewer, read with the tokenizer of
// viewer/html_tokens.h and a stack of the open elements (at most 512 deep, as
// browsers nest no deeper; elements past that are read as if absent). One
// forward pass without recursion, so any input takes linear time and bounded
// stack; what a browser would repair (a missing </p>, </li>, </td> or </tr>,
// an <a> inside an <a>) is closed where the standard closes it.
//
// The text keeps what a reader sees:
//   - paragraphs, headings, lists, tables, block quotes and other blocks (div,
//     p, h1-h6, li, tr, hr...) start lines of their own; p, h1-h6, pre, ul, ol,
//     dl and blockquote also leave an empty line before and after them (inside
//     a list item only a line end); <br> ends a line; <hr> is a line of "―";
//   - white space collapses as a browser collapses it, except inside pre,
//     listing, xmp and plaintext, which keep the text as written; a
//     no-break space is a plain space, and a line of nothing else is empty;
//   - each level of blockquote puts "> " before the lines inside it (30 levels
//     at most: deeper ones look like the 30th);
//   - list items start with "・" (ul) or their number and ". " (ol, from its
//     start attribute or an item's value); a nested list is indented by two
//     spaces per level (as quotes, 30 levels at most);
//   - table rows are lines of their own, and the cells of a row that have text
//     are separated by a tab (empty cells of layout tables leave nothing);
//   - an image's alt text is shown in brackets, "[alt]";
//   - every http, https and mailto link keeps its target, in a form the
//     viewer's link scanner finds: after the link's text as " <URL>" when the
//     text differs from it, once when they are equal, alone when the link has
//     no text; a mailto link's target is its address (without "mailto:" and
//     what follows a "?"); a URL's bytes other than ASCII, and spaces and
//     quotes, are percent-encoded so the whole URL stays clickable;
//   - never more than one empty line in a row, none at the start or the end.
// It drops head-only content (title, style, script), template, iframe, svg,
// comments, and every element hidden by its markup: a `hidden` attribute or an
// inline style "display: none" (any case, any spacing).

#include <string>
#include <string_view>

namespace viewer {

// The text of an HTML document, as UTF-8 with lines joined by CR LF (as the
// viewer's TextLines join them). The bytes are decoded first, from the charset
// DecodeHtmlBytes (viewer/html_charset.h) chooses.
//
// The viewer's notice that a text was converted from HTML is
// viewer::ja::kHtmlConvertedNotice (viewer/ja_texts.h); this text holds only
// the document's own text.
std::string HtmlToText(std::string_view html, std::string_view mime_charset);

}  // namespace viewer
