// The message as a list of parts, each figure beside a floor measured in the
// same run:
//   - the parts of a 20 MB message (a text and a 20 MB base64 attachment)
//     listed with their sizes, against reading the file: no attachment is
//     decoded to list it (target: at most 100 ms);
//   - a message with 100 attachments opened in the viewer, against the same
//     text alone (target: at most 50 ms slower).

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_mailbox.h"
#include "nkf/nkf_convert.h"
#include "platform/files.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"

namespace {

constexpr int kRuns = 7;
volatile std::size_t sink;

std::string TempPath(const char* name) {
  return platform::JoinPath(std::filesystem::temp_directory_path().string(), name);
}

std::string Base64Lines(std::size_t bytes) {
  std::string line(76, 'A');
  line[0] = 'Q';
  std::string out;
  out.reserve(bytes / 57 * 78 + 80);
  for (std::size_t done = 0; done < bytes; done += 57) out += line + "\r\n";
  return out;
}

std::string Text() {
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "本文の行です。 https://www.example.com/page" + std::to_string(i) + "\r\n";
  return text;
}

std::string Message(int attachments, std::size_t attachment_bytes) {
  std::string message =
      "From: a@example.com\r\nSubject: parts\r\nContent-Type: multipart/mixed; "
      "boundary=\"B\"\r\n\r\n"
      "--B\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" +
      Text();
  const std::string body = Base64Lines(attachment_bytes);
  for (int i = 0; i < attachments; ++i) {
    message +=
        "--B\r\nContent-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename*=UTF-8''%E8%A6%8B%E7%A9%8D%E6%9B%B8" +
        std::to_string(i) + ".pdf\r\n\r\n" + body;
  }
  return message + "--B--\r\n";
}

double ReadMs(const std::string& path) {
  return bench::BestMilliseconds(kRuns, [&] {
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    sink = bytes.size();
  });
}

double OpenMs(const std::string& path) {
  const viewer::CodeConverter converter = [](std::string_view text) {
    return nkf::ConvertToShiftJis(text);
  };
  return bench::BestMilliseconds(kRuns, [&] {
    viewer::MessageView view;
    view.MessagePath = path;
    viewer::LoadOptions options;
    options.form = viewer::TextForm::kUnicode;
    viewer::LoadMessage(view, 0, false, converter, options);
    sink = view.Lines.size() + view.Attachments.size();
  });
}

}  // namespace

int main() {
  const std::string big = TempPath("veltrano_bench_parts_big.qnm");
  const std::string many = TempPath("veltrano_bench_parts_many.qnm");
  const std::string alone = TempPath("veltrano_bench_parts_alone.qnm");
  if (!platform::ReplaceFileAtomically(big, Message(1, 20 * 1024 * 1024)) ||
      !platform::ReplaceFileAtomically(many, Message(100, 30 * 1024)) ||
      !platform::ReplaceFileAtomically(alone, Message(0, 0))) {
    std::printf("cannot write the messages\n");
    return 1;
  }

  const double read = ReadMs(big);
  const double list = bench::BestMilliseconds(kRuns, [&] {
    viewer::MessageFile file;
    viewer::ReadMessageFile(big, file);
    std::uint64_t total = 0;
    for (const std::size_t index : file.tree.leaves) {
      total += viewer::DecodedSize(file.bytes, file.tree.parts[index]);
    }
    sink = static_cast<std::size_t>(total);
  });
  std::printf(
      "20 MB message: parts listed %7.2f ms  file read (floor) %6.2f ms  ratio %5.2f  (target <= "
      "100 ms)\n",
      list, read, list / read);

  const double with = OpenMs(many);
  const double without = OpenMs(alone);
  std::printf(
      "100 attachments: opened %7.2f ms  text alone (floor) %6.2f ms  slower by %6.2f ms  ratio "
      "%5.2f  "
      "(target <= 50 ms slower)\n",
      with, without, with - without, with / without);

  platform::RemoveFile(big);
  platform::RemoveFile(many);
  platform::RemoveFile(alone);
  return 0;
}
