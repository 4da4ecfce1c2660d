// veltrano-cli parts FILE
// veltrano-cli part FILE N [--save DIR]
//
// parts prints one line per leaf part of a message file, in file order, depth
// first, a forwarded message (message/rfc822) being one part:
// "N TAB TYPE TAB BYTES TAB NAME": N counts from 1; TYPE is type/subtype in
// lower case (text/plain when the part names none); BYTES its size after its
// transfer encoding is undone; NAME its decoded file name in UTF-8, empty when
// it has none.
//
// part writes part N's bytes, transfer encoding undone, to standard output;
// with --save DIR it writes them into DIR instead, under the part's safe name
// (numbered "name (2).ext" when that name is taken; never outside DIR, never
// over an existing file), and prints the path it wrote.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"
#include "viewer/part_name.h"

namespace {

void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

bool ReadFile(const std::string& path, viewer::MessageFile& file) {
  if (viewer::ReadMessageFile(path, file)) return true;
  std::fprintf(stderr, "%s\n", viewer::CannotOpenMessageText(path).c_str());
  return false;
}

// A part number from 1 to `count`, as written in decimal.
bool ParsePartNumber(std::string_view text, std::size_t count, std::size_t& number) {
  if (text.empty() || text.size() > 9) return false;
  number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  return number >= 1 && number <= count;
}

// Writes `bytes` into `dir` under a free name from `name`; the path written, or empty.
std::string SaveInto(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::filesystem::path folder(dir);
  const auto exists = [&](const std::string& candidate) {
    std::error_code error;
    return std::filesystem::exists(folder / candidate, error) || error;
  };
  const std::string path = (folder / viewer::NumberedFileName(name, exists)).string();
  // "x": never over a file that appeared meanwhile.
  std::FILE* out = std::fopen(path.c_str(), "wbx");
  if (out == nullptr) return {};
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) return {};
  return path;
}

}  // namespace

int RunPartsCommand(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: veltrano-cli parts FILE\n", stderr);
    return 2;
  }
  viewer::MessageFile file;
  if (!ReadFile(argv[1], file)) return 1;
  for (std::size_t leaf = 0; leaf < file.tree.leaves.size(); ++leaf) {
    const viewer::MimePart& part = file.tree.parts[file.tree.leaves[leaf]];
    std::printf("%zu\t%s\t%llu\t", leaf + 1, part.type.c_str(),
                static_cast<unsigned long long>(viewer::DecodedSize(file.bytes, part)));
    Write(part.name);
    Write("\n");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunPartCommand(int argc, char** argv) {
  const auto usage = [] {
    std::fputs("usage: veltrano-cli part FILE N [--save DIR]\n", stderr);
    return 2;
  };
  if (argc != 3 && !(argc == 5 && std::string_view(argv[3]) == "--save")) return usage();
  viewer::MessageFile file;
  if (!ReadFile(argv[1], file)) return 1;
  std::size_t number = 0;
  if (!ParsePartNumber(argv[2], file.tree.leaves.size(), number)) {
    std::fprintf(stderr, "No part %s.\n", argv[2]);
    return 1;
  }
  const std::string bytes = viewer::LeafBytes(file, number - 1);
  if (argc == 3) {
    Write(bytes);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const std::string path = SaveInto(argv[4], viewer::LeafSaveName(file, number - 1), bytes);
  if (path.empty()) {
    std::fprintf(stderr, "Cannot write into \"%s\".\n", argv[4]);
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}
