#!/usr/bin/env python3
"""Turns a folder's table of Japanese texts (UTF-8) into a C++ header of CP932 strings.

    gen_ja_texts.py <folder> <table.txt> <header.h> [--mail-encodings]

The program keeps all text in Shift-JIS (CP932). Its Japanese texts are written readable,
in UTF-8, in one table per folder; the build produces the bytes, so no source file spells
Shift-JIS by hand and a comment can never drift from its bytes.

Table lines:   kName = "text"     (C escapes \\ \" \n \r \t; the text is kept exactly,
                                   trailing blanks included)
               # comment, or a blank line
Header:        namespace <name>::ja { inline constexpr char kName[] = "\\x..."; }
               where <name> is the last part of <folder> ("tools/mkmailbox" -> mkmailbox).

--mail-encodings also writes every text in the other encodings Japanese mail comes in,
for the demo mailbox generator, each in a namespace of its own:
               <name>::ja::iso2022jp, <name>::ja::eucjp, <name>::ja::utf8
ISO-2022-JP switches to JIS X 0208 (ESC $ B) before each run of Japanese and back to
ASCII (ESC ( B) after it, as mailers write it.
"""
import re
import sys

LINE = re.compile(r'^(k[A-Za-z0-9_]+)\s*=\s*"((?:[^"\\]|\\.)*)"\s*$')
ESCAPES = {'\\': '\\', '"': '"', 'n': '\n', 'r': '\r', 't': '\t'}


def unescape(text, where):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == '\\':
            nxt = text[i + 1]
            if nxt not in ESCAPES:
                sys.exit(f"{where}: unknown escape \\{nxt}")
            out.append(ESCAPES[nxt])
            i += 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def c_literal(data):
    # Printable ASCII as it is, every other byte as \xHH; a literal break after an escape
    # that a hex digit follows, so the digit cannot extend it.
    out, escaped = [], False
    for b in data:
        c = chr(b)
        if 0x20 <= b < 0x7F and c not in '"\\':
            if escaped and c in '0123456789abcdefABCDEF':
                out.append('""')
            out.append(c)
            escaped = False
        else:
            out.append(f'\\x{b:02X}')
            escaped = True
    return '"' + ''.join(out) + '"'


# Namespace below <name>::ja and Python codec of each encoding of --mail-encodings.
MAIL_ENCODINGS = [('iso2022jp', 'iso2022_jp'), ('eucjp', 'euc_jp'), ('utf8', 'utf-8')]


def main():
    folder, table, header = sys.argv[1:4]
    encodings = MAIL_ENCODINGS if sys.argv[4:] == ['--mail-encodings'] else []
    space = folder.split('/')[-1] + '::ja'
    names, texts = set(), []
    with open(table, encoding='utf-8') as f:
        for number, raw in enumerate(f, 1):
            raw = raw.rstrip('\n')
            if not raw.strip() or raw.lstrip().startswith('#'):
                continue
            where = f"{table}:{number}"
            m = LINE.match(raw)
            if not m:
                sys.exit(f'{where}: expected kName = "text"')
            name, text = m.group(1), unescape(m.group(2), where)
            if name in names:
                sys.exit(f"{where}: {name} defined twice")
            names.add(name)
            for codec in ['cp932'] + [codec for _, codec in encodings]:
                try:
                    text.encode(codec)
                except UnicodeEncodeError as e:
                    sys.exit(f"{where}: not in {codec}: {e}")
            texts.append((name, text))
    lines = [
        '// Generated from ' + folder + '/ja_texts.txt by cmake/gen_ja_texts.py. Do not edit.',
        '#pragma once', '', f'namespace {space} {{', ''
    ]
    for name, text in texts:
        readable = text.encode('unicode_escape').decode('ascii') if not text.isprintable() else text
        lines.append(f'// {readable}')
        lines.append(f'inline constexpr char {name}[] = {c_literal(text.encode("cp932"))};')
    lines += ['', f'}}  // namespace {space}', '']
    for inner, codec in encodings:
        lines += [f'// The same texts in {codec}.', f'namespace {space}::{inner} {{', '']
        for name, text in texts:
            lines.append(f'inline constexpr char {name}[] = {c_literal(text.encode(codec))};')
        lines += ['', f'}}  // namespace {space}::{inner}', '']
    with open(header, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines))


main()
