// 200 KB of HTML mail as text (target: at most 30 ms), against a floor
// measured in the same run: checking the same bytes as UTF-8, the one pass any
// reading of them makes. The mail is what newsletters send: nested layout
// tables, inline styles, a hidden preheader, links, images, entities and
// Japanese prose; once in UTF-8 and once in Shift_JIS (decoded by the code
// converter first). Prints the best of several runs.

#include <cstdio>
#include <string>

#include "bench/bench_mailbox.h"
#include "nkf/nkf_convert.h"
#include "viewer/html_text.h"
#include "viewer/unicode_text.h"

namespace {

constexpr std::size_t kHtmlSize = 200 * 1024;
constexpr int kRuns = 15;

volatile std::size_t sink;

std::string Html() {
  std::string html =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>お知らせ</title>"
      "<style>td{font-family:sans-serif}.btn{color:#fff}</style></head><body>"
      "<div style=\"display:none;max-height:0\">今週のおすすめ&nbsp;&zwnj;&nbsp;</div>";
  const std::string block =
      "<table width=\"100%\" cellpadding=\"0\" cellspacing=\"0\" border=\"0\"><tr>"
      "<td align=\"center\" style=\"padding:10px 20px;background:#f5f5f5\">"
      "<table width=\"600\"><tr><td><img src=\"https://img.example.com/logo.png\" alt=\"ロゴ\""
      " width=\"120\"></td><td style=\"font-size:12px\">Vol.&nbsp;42 &ndash; 2026年</td></tr>"
      "<tr><td colspan=\"2\"><h2 style=\"margin:0\">新商品のご案内</h2>"
      "<p>いつもご利用いただき、ありがとうございます。今月は<b>春の新作</b>を多数ご用意しました。"
      "詳しくは<a href=\"https://shop.example.com/new?utm_source=mail&amp;utm_medium=html\">"
      "こちら</a>をご覧ください。</p><ul><li>送料無料キャンペーン実施中</li>"
      "<li>ポイント&times;2倍</li></ul><p>お問い合わせ: <a href=\"mailto:info@shop.example.com\">"
      "info@shop.example.com</a><br>&copy; 2026 Example Shop</p></td></tr></table>"
      "</td></tr></table>\n";
  while (html.size() < kHtmlSize) html += block;
  return html + "</body></html>";
}

void Measure(const char* name, const std::string& html, const char* charset) {
  std::size_t size = 0;
  const double convert = bench::BestMilliseconds(kRuns, [&] {
    size = viewer::HtmlToText(html, charset).size();
    sink = size;
  });
  const double floor =
      bench::BestMilliseconds(kRuns, [&] { sink = viewer::ValidUtf8(html).size(); });
  std::printf(
      "%-12s %4zu KB -> %4zu KB of text  HtmlToText %6.2f ms (target <= 30)  floor %5.2f ms"
      "  ratio %5.1f\n",
      name, html.size() / 1024, size / 1024, convert, floor, convert / floor);
}

}  // namespace

int main() {
  const std::string html = Html();
  Measure("UTF-8", html, "utf-8");
  // The same mail in Shift_JIS, its charset declared by MIME.
  Measure("Shift_JIS", nkf::ConvertToShiftJis(html, nkf::InputCode::Utf8), "shift_jis");
  return 0;
}
