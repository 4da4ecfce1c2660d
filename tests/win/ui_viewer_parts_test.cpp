// Every message readable in the viewer: an HTML-only message shows as text
// with its links clickable; the attachment lines: a click or Enter opens a read-only copy of
// the attachment's bytes under its decoded name, in a folder of its own; the
// copies unchanged go at exit and an edited one stays; "名前を付けて保存..."
// and "すべての添付ファイルを保存..." write the right bytes under the Japanese
// names, never over a file already there; a forwarded message's text shows.

#include <windows.h>
// richedit.h needs the types of windows.h.
#include <gtest/gtest.h>
#include <richedit.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/wide_win.h"
#include "tests/win/ui_support.h"
#include "viewer/text_lines.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

class ViewerAttachments : public SharedMailbox {
 protected:
  // Shows a message with two attachments and a forwarded message.
  void ShowMessage() {
    fixture.Start();
    const std::string path = fixture.Dir().WriteFile(
        "attached.qnm",
        "From: a@example.com\r\nSubject: attached\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
        "--b1\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n本文です。\r\n"
        "--b1\r\nContent-Type: application/octet-stream; name=\"x.bin\"\r\n"
        "Content-Disposition: attachment; filename*=UTF-8''%E8%A6%8B%E7%A9%8D%E6%9B%B8.xlsx\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQFBgcICQ==\r\n"
        "--b1\r\nContent-Type: text/plain; charset=UTF-8; name=\"=?UTF-8?B?5aCx5ZGKLnR4dA==?=\"\r\n"
        "Content-Disposition: attachment\r\n\r\n報告の中身\r\n"
        "--b1\r\nContent-Type: message/rfc822\r\n\r\n"
        "From: b@example.com\r\nSubject: =?UTF-8?B?6Lui6YCB44OG44K544OI?=\r\n"
        "Content-Type: text/plain; charset=UTF-8\r\n\r\n転送された本文\r\n"
        "--b1--\r\n");
    Show(path);
  }

  void Show(const std::string& path) {
    ui::TViewForm& viewer = fixture.Viewer();
    viewer.SetMessage(path, "a", "subject");
    viewer.ShowOrFocus();
    viewer.LoadMessage(0, false);
    Settle();
  }

  // The byte range of the first line holding `name` in the shown text.
  viewer::Link LineOf(const std::string& name) {
    const std::string text = viewer::JoinLines(fixture.Viewer().View().Lines);
    const std::size_t at = text.find(name);
    EXPECT_NE(at, std::string::npos) << name;
    return {at, at + name.size()};
  }

  void PutCaretIn(const viewer::Link& line) {
    const std::string text = viewer::JoinLines(fixture.Viewer().View().Lines);
    const LONG position = RichEditPosition(text, line.start) + 1;
    SendMessageW(fixture.Viewer().BigView(), EM_SETSEL, position, position);
  }
};

std::string Bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

const std::string kXlsxBytes("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10);

TEST_F(ViewerAttachments, AnHtmlOnlyMessageShowsAsTextWithALinkThatOpens) {
  fixture.Start();
  const std::string path = fixture.Dir().WriteFile(
      "html.qnm",
      "From: a@example.com\r\nSubject: html\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n"
      "<html><head><style>p { color: red }</style></head><body><p>こんにちは "
      "<a href=\"https://example.com/x\">リンク</a></p><div "
      "hidden>見えない</div></body></html>\r\n");
  Show(path);
  ui::TViewForm& viewer = fixture.Viewer();
  const std::wstring shown = viewer.BigViewText();
  EXPECT_NE(shown.find(L"こんにちは リンク <https://example.com/x>"), std::wstring::npos);
  for (const wchar_t* dropped : {L"<p>", L"color", L"見えない"})
    EXPECT_EQ(shown.find(dropped), std::wstring::npos) << platform::Narrow(dropped);
  ASSERT_FALSE(viewer.View().Links.empty());
  ClickText(fixture, viewer.View().Links.front());
  EXPECT_EQ(fixture.MailClient.Urls, std::vector<std::string>{"https://example.com/x"});
}

TEST_F(ViewerAttachments, AClickOrEnterOpensAReadOnlyCopyThatGoesAtExitUnlessEdited) {
  ShowMessage();
  ui::TViewForm& viewer = fixture.Viewer();
  std::vector<std::wstring> opened;
  viewer.AttachmentCopies().SetLauncher([&](HWND, const std::wstring& path) {
    opened.push_back(path);
    return true;
  });
  const viewer::Link line = LineOf("見積書.xlsx");
  ClickText(fixture, line);
  PutCaretIn(line);
  PressWith(fixture, {}, VK_RETURN);
  ASSERT_EQ(opened.size(), 2u) << "one click and one Enter";
  for (const std::wstring& path : opened) {
    EXPECT_EQ(fs::path(path).filename().wstring(), L"見積書.xlsx");
    EXPECT_EQ(Bytes(path), kXlsxBytes);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  }
  EXPECT_NE(fs::path(opened[0]).parent_path(), fs::path(opened[1]).parent_path())
      << "two copies of one name never meet";

  // The second copy edited: only the first goes, with its folder.
  SetFileAttributesW(opened[1].c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(fs::path(opened[1]), std::ios::app) << "edited";
  viewer.RemoveAttachmentCopies();
  EXPECT_FALSE(fs::exists(fs::path(opened[0]).parent_path()));
  EXPECT_TRUE(fs::exists(opened[1]));
  fs::remove_all(fs::path(opened[1]).parent_path());
}

TEST_F(ViewerAttachments, SavedAttachmentsHoldTheirBytesUnderTheirJapaneseNames) {
  ShowMessage();
  ui::TViewForm& viewer = fixture.Viewer();
  EXPECT_NE(viewer.BigViewText().find(L"転送された本文"), std::wstring::npos)
      << "the forwarded message's text shows";
  const fs::path one = platform::Widen(fixture.Dir().MakeDirs("one"));
  const fs::path all = platform::Widen(fixture.Dir().MakeDirs("all"));
  std::ofstream(all / L"報告.txt") << "already here";
  std::wstring proposed;
  viewer.Dialogs().SavePath = [&](HWND, const std::wstring& name, const std::wstring&) {
    proposed = name;
    return (one / name).wstring();
  };
  viewer.Dialogs().Folder = [&](HWND, const std::wstring&) { return all.wstring(); };

  PutCaretIn(LineOf("見積書.xlsx"));
  viewer.mAttachmentSaveAsClick();
  EXPECT_EQ(proposed, L"見積書.xlsx");
  EXPECT_EQ(Bytes(one / L"見積書.xlsx"), kXlsxBytes);

  viewer.mAttachmentSaveAllClick();
  std::set<std::wstring> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(all))
    names.insert(entry.path().filename().wstring());
  EXPECT_EQ(names, (std::set<std::wstring>{L"見積書.xlsx", L"報告.txt", L"報告 (2).txt",
                                           L"転送テスト.eml"}));
  EXPECT_EQ(Bytes(all / L"報告.txt"), "already here") << "never replaced";
  EXPECT_EQ(Bytes(all / L"報告 (2).txt").substr(0, 15), "報告の中身");
  EXPECT_EQ(Bytes(all / L"見積書.xlsx"), kXlsxBytes);
  EXPECT_NE(Bytes(all / L"転送テスト.eml").find("転送された本文"), std::string::npos);
  EXPECT_TRUE(fixture.Errors.empty());
}

}  // namespace
}  // namespace uitest
