// TViewForm: the attachments of the shown message. Each has a line of its own
// after the text (viewer::MessageView::Attachments), coloured as a link: a
// click or Enter on it opens the attachment with its Windows program (a
// read-only copy, ui/attachment_files.h), and the menus open it, save it
// under a name of the user's choosing, or save them all into one folder under
// their own names made unique there. The message file is read again for
// each: the viewer keeps the text, not the attachments' bytes.

#include <windowsx.h>

#include "platform/wide_win.h"
#include "ui/view_form.h"
#include "ui/wide_text.h"
#include "viewer/message_parts.h"
#include "viewer/part_name.h"

namespace ui {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void TViewForm::FindAttachmentLines() {
  attachment_bytes_.clear();
  std::size_t start = 0;
  std::size_t next = 0;
  for (std::size_t line = 0; line < view_.Lines.size(); ++line) {
    const std::size_t end = start + view_.Lines[line].size();
    for (; next < view_.Attachments.size() && view_.Attachments[next].Line <= line; ++next) {
      if (view_.Attachments[next].Line == line) attachment_bytes_.push_back({start, end});
    }
    start = end + 2;  // CR LF
  }
}

std::optional<std::size_t> TViewForm::AttachmentAtByte(std::size_t byte) const {
  for (std::size_t i = 0; i < attachment_bytes_.size(); ++i) {
    if (byte >= attachment_bytes_[i].start && byte < attachment_bytes_[i].end) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> TViewForm::AttachmentAtCaret() const {
  const std::size_t byte = shown_.ByteAtPosition(big_view_.Selection().start);
  return AttachmentAtByte(byte);
}

bool TViewForm::CaretOnAttachment() const { return AttachmentAtCaret().has_value(); }

bool TViewForm::ReadAttachments(viewer::MessageFile& file) const {
  if (viewer::ReadMessageFile(view_.MessagePath, file)) return true;
  ShowErrorBox(viewer::CannotOpenMessageText(view_.MessagePath));
  return false;
}

void TViewForm::OpenAttachment(std::size_t index) {
  if (ViewerBusy || index >= view_.Attachments.size()) return;
  viewer::MessageFile file;
  if (!ReadAttachments(file)) return;
  const std::size_t leaf = view_.Attachments[index].Leaf;
  attachment_files_.Open(hwnd(), WideFromUtf8(viewer::LeafSaveName(file, leaf)),
                         viewer::LeafBytes(file, leaf));
}

void TViewForm::mAttachmentOpenClick() {
  if (const std::optional<std::size_t> index = AttachmentAtCaret()) OpenAttachment(*index);
}

// The dialog has asked before a file of the chosen name is replaced; the old
// one goes first, so that the new one is written whole or not at all.
void TViewForm::mAttachmentSaveAsClick() {
  const std::optional<std::size_t> index = AttachmentAtCaret();
  if (ViewerBusy || !index) return;
  viewer::MessageFile file;
  if (!ReadAttachments(file)) return;
  const std::size_t leaf = view_.Attachments[*index].Leaf;
  const std::wstring path =
      save_dialogs_.SavePath(hwnd(), WideFromUtf8(viewer::LeafSaveName(file, leaf)), save_folder_);
  if (path.empty()) return;
  save_folder_ = FolderOf(path);
  if (FileExists(path)) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
  }
  AttachmentFiles::Save(hwnd(), path, viewer::LeafBytes(file, leaf));
}

// Every attachment into one folder, each under its own name, numbered where
// the folder has that name already: nothing there is replaced.
void TViewForm::mAttachmentSaveAllClick() {
  if (ViewerBusy || view_.Attachments.empty()) return;
  const std::wstring folder = save_dialogs_.Folder(hwnd(), save_folder_);
  if (folder.empty()) return;
  save_folder_ = folder;
  viewer::MessageFile file;
  if (!ReadAttachments(file)) return;
  const auto taken = [&folder](const std::string& name) {
    return FileExists(folder + L"\\" + WideFromUtf8(name));
  };
  for (const viewer::Attachment& attachment : view_.Attachments) {
    const std::string name =
        viewer::NumberedFileName(viewer::LeafSaveName(file, attachment.Leaf), taken);
    if (!AttachmentFiles::Save(hwnd(), folder + L"\\" + WideFromUtf8(name),
                               viewer::LeafBytes(file, attachment.Leaf))) {
      return;
    }
  }
}

bool TViewForm::HasAttachments() const { return !view_.Attachments.empty(); }

void TViewForm::RemoveAttachmentCopies() { attachment_files_.RemoveCopies(); }

}  // namespace ui
