#pragma once
// A message as the viewer reads it: the file's bytes and their MIME tree
// (viewer/mime_parts.h), the part shown as its text, and the other leaves,
// which the viewer lists as attachments that can be opened or saved.
//
// Leaves are numbered from 0 in file order (MimeTree::leaves), a forwarded
// message (message/rfc822) being one leaf; the command-line program counts
// them from 1.
//
// The shown text: a leaf message shows itself when it is text (or a multipart
// without parts); of a multipart, multipart/alternative shows its text/plain
// alternative when it has one, else its first text (text/html); multipart/
// related shows its root (the part its start parameter names, else its first
// part); any other multipart (mixed, signed, ...) its first part that gives a
// text/plain or text/html text and is not an attachment by its disposition.
// The alternatives not shown are no attachments: they are the same text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/mime_parts.h"

namespace viewer {

inline constexpr std::size_t kNoPart = static_cast<std::size_t>(-1);

struct MessageFile {
  std::string bytes;
  MimeTree tree;
};

// Reads and parses a message file; false when it cannot be read.
bool ReadMessageFile(const std::string& path, MessageFile& file);

// The index in tree.parts of the part shown as text, or kNoPart.
std::size_t ShownTextPart(const MimeTree& tree);

// The leaf numbers (positions in tree.leaves) listed as attachments: every
// leaf but the shown text and the alternatives beside it.
std::vector<std::size_t> AttachmentLeaves(const MimeTree& tree, std::size_t shown);

// A size as the attachment lines write it: "512 B", "12.3 KB", "4.5 MB"
// (1 KB = 1,024 bytes; one decimal; the decimal point a ".").
std::string SizeText(std::uint64_t bytes);

// The UTF-8 text of an attachment line: "  " + its name (else its type) + " ("
// + SizeText + ")".
std::string AttachmentLineText(const MimePart& part, std::uint64_t size);

// Leaf `leaf`'s bytes with its transfer encoding undone (empty for a leaf
// number out of range).
std::string LeafBytes(const MessageFile& file, std::size_t leaf);

// The name leaf `leaf` is saved under (viewer/part_name.h SafeFileName): its
// own name, else "part" + its number from 1; a forwarded message's name,
// else its Subject, else "message", always ending in ".eml".
std::string LeafSaveName(const MessageFile& file, std::size_t leaf);

}  // namespace viewer
