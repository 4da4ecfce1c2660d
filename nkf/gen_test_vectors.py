#!/usr/bin/env python3
"""Prints the sentence table of tests/nkf_convert_test.cpp: each sentence in Shift-JIS (CP932),
EUC-JP, ISO-2022-JP and UTF-8, every form made by iconv. Paste the output over the table.

    python3 nkf/gen_test_vectors.py
"""
import subprocess

# (why the sentence is there, the sentence)
SENTENCES = [
    ("kanji, hiragana, full-width digit",
     "今日は良い天気ですね。明日の会議は午後３時からです。"),
    ("katakana words and full-width punctuation",
     "新しいソフトウェアのバージョン２．１をリリースしました！"),
    ("half-width katakana between full-width text",
     "ｶﾀｶﾅの半角文字も混ざっています：ﾃｽﾄ"),
    ("ASCII subject line with brackets and a date",
     "Re: 【重要】サーバーのメンテナンスについて (10/15 予定)"),
    ("two lines with CR LF",
     "お世話になっております。山田です。\r\n資料を添付いたしましたので、ご確認ください。\r\n"),
    ("symbols: reference mark, wave dash, middle dot",
     "※注意：パスワードは８文字以上〜１６文字以下で、英数字・記号を含めてください。"),
]


def iconv(text, code):
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", code], input=text.encode("utf-8"),
                          capture_output=True, check=True).stdout


def literal(data, indent):
    escaped = "".join(f"\\x{b:02X}" for b in data)
    chunks = [escaped[i:i + 88] for i in range(0, len(escaped), 88)]
    return ("\n" + " " * indent).join(f'"{c}"' for c in chunks)


for why, text in SENTENCES:
    jis = iconv(text, "ISO-2022-JP") if not any(0xFF61 <= ord(c) <= 0xFF9F for c in text) \
        else iconv(text, "ISO-2022-JP-3")
    shown = text.replace("\r\n", "\\r\\n")
    print(f"    // {shown}")
    print(f'    {{"{why}",')
    for data in (iconv(text, "CP932"), iconv(text, "EUC-JP"), jis, text.encode("utf-8")):
        print(f"     {literal(data, 5)},")
    print("    },")
