#!/usr/bin/env python3
"""Writes the case folders next to this script.

Case files hold raw bytes in the Cyrillic code pages, which are awkward to
edit by hand; this table is the readable source of them. Edit a case here,
run the script, and commit the script together with the folders it wrote.

Each case is a dict:
  search, replace  masks as str (written in WIN); replace may be left out
  input, expected  str (encoded into the source / target page) or bytes
  count            expected replacement count
  encoding, target code page names (WIN, KOI, DOS, ISO, MAC)
  error            expected message left by the run (UTF-8)
  fails            expected message of a refused mask (UTF-8); a case with it
                   has only search and fails
  progress         expected notification positions, list of ints
"""

import pathlib
import shutil
import sys

HERE = pathlib.Path(__file__).resolve().parent

CODECS = {"WIN": "cp1251", "KOI": "koi8_r", "DOS": "cp866", "ISO": "iso8859_5", "MAC": "mac_cyrillic"}

BAD_REPLACE = "Неверный Формат Строки Замены"
UNCLOSED = "Отсутствует Закрывающая Пара Для \\(,\\[ Или \\{"
NO_OPEN_CONTEXT = "Отсутствует Открывающая Пара Для \\) (Символ "
NO_OPEN_SET = "Отсутствует Открывающая Пара Для \\] (Символ "
TOO_DEEP = "Слишком Глубокая Вложенность Скобок В Маске Поиска (Больше 100)"
TOO_COMPLEX = "Слишком Много Повторов И Скобок В Маске Поиска (Больше 1000)"


def enc(page, text):
    return text.encode(CODECS[page])


CASES = {
    # --- plain text, runs and laziness ---
    "matches-do-not-overlap": dict(search="aa", replace="X", input="aaaaa", expected="XXa", count=2),
    "empty-replace-removes-each-match": dict(search="\\9", input="a1b22", expected="ab", count=3),
    "lazy-star-stops-at-first-b": dict(search="a\\*b", replace="[\\2]", input="axbyb", expected="[x]yb", count=1),
    "run-at-end-extends-to-end": dict(search="a\\*", replace="<\\2>", input="xabc", expected="x<bc>", count=1),
    "digit-run-stops-where-follower-digit-matches": dict(
        search="\\+9\\9", replace="[\\1|\\2]", input="123 45", expected="[1|2]3 [4|5]", count=2
    ),
    "runs-in-sequence-each-stop-at-their-follower": dict(
        search="a\\+9b\\*x", replace="<\\2|\\4>", input="a12b-x-x a1bx", expected="<12|->-x <1|>", count=2
    ),
    "negated-run-of-non-digits": dict(search="\\-+9", replace="[\\1]", input="ab12cd", expected="[ab]12[cd]", count=2),
    "prefix-before-T-applies-to-following-text": dict(
        search="\\+Tab", replace="X", input="ababab abx", expected="X Xx", count=2
    ),
    "search-backslash-t-is-letter-t": dict(search="a\\tb", replace="\\2", input="a\tb atb", expected="a\tb tb", count=1),
    "mask-ending-in-backslash-seeks-nul": dict(
        search="x\\", replace="Z", input=b"ax\x00y x", expected=b"aZy x", count=1
    ),
    "sign-class-covers-eleven-characters": dict(
        search="\\.", input="a!b\"c'd(e)f,g-h.i:j;k?l/m", expected="abcdefghijkl/m", count=11
    ),
    "blank-run-collapses-spaces-and-tabs": dict(search="\\+_", replace=" ", input="a \t b\tc", expected="a b c", count=2),
    # --- the end of the text ---
    "any-char-matches-after-the-end": dict(search="x\\?", replace="[\\1\\2]", input="abx", expected="ab[x]", count=1),
    "negation-matches-after-the-end": dict(search="x\\-9", replace="<\\1>", input="x5x", expected="x5<x>", count=1),
    "line-break-not-matched-after-the-end": dict(search="x\\n", replace="X", input="x\r\nax", expected="Xax", count=1),
    # --- sets ---
    "set-of-text-matches-whole-text": dict(search="\\[ab\\]", replace="X", input="a b ab ba", expected="a b X ba", count=1),
    "set-takes-first-matching-alternative": dict(
        search="\\[a\\Tab\\]c", replace="X", input="abc ac", expected="abc X", count=1
    ),
    "negated-set-covers-one-character": dict(search="\\-[a\\Tb\\]", replace=".", input="abzc", expected="ab..", count=2),
    "set-holding-repeated-set-is-a-run": dict(
        search="\\[\\[\\+9\\]\\]", replace="<\\1>", input="a123b4", expected="a<123>b<4>", count=2
    ),
    "set-holding-star-set-takes-rest-without-stalling": dict(
        search="\\[\\[\\*\\]\\]", replace="<\\1>", input="abc", expected="<abc>", count=1
    ),
    # --- blocks ---
    "block-with-run-child-repeats": dict(
        search="\\{a\\*b\\}!", replace="<\\1>", input="-axbab!-", expected="-<axbab>-", count=1
    ),
    "block-holding-repeated-block-is-a-run": dict(
        search="\\{\\{\\+9\\}a\\}", replace="<\\1>", input="12a3a-4a", expected="<12a3a>-<4a>", count=2
    ),
    "block-alternatives-in-a-set": dict(
        search="\\[\\{a\\9\\}\\{b\\A\\}\\]", replace="<\\1>", input="a1 bz a b9", expected="<a1> <bz> a b9", count=2
    ),
    "empty-block-never-matches-in-a-set": dict(search="\\[\\{\\}x\\]", replace="Y", input="axb", expected="aYb", count=1),
    # --- remembered ranges must agree with a full evaluation ---
    "remembered-range-run-of-two-char-text": dict(
        search="\\+aa\\Tx", replace="[\\1|\\2]", input="aaax", expected="a[aa|x]", count=1
    ),
    "remembered-range-run-of-block": dict(search="\\+{a\\?\\}x", replace="<\\1>", input="aaax", expected="a<aa>", count=1),
    # --- brackets: faults and limits ---
    "stray-close-inside-set-leaves-empty-set": dict(
        search="\\[\\)\\]", replace="X", input="abc", expected="abc", count=0, error=NO_OPEN_CONTEXT + "3)"
    ),
    "stray-close-keeps-prefixes": dict(
        search="a\\+]b", replace="X", input="abbb c ab", expected="X c X", count=2, error=NO_OPEN_SET + "3)"
    ),
    "unclosed-context-refused": dict(search="\\(abc", fails=UNCLOSED),
    "nesting-of-100-brackets-accepted": dict(
        search="\\{" * 100 + "a" + "\\}" * 100, replace="X", input="bab", expected="bXb", count=1
    ),
    "nesting-of-101-brackets-refused": dict(search="\\{" * 101 + "a" + "\\}" * 101, fails=TOO_DEEP),
    "thousand-runs-accepted": dict(search="\\*" * 1000, replace="X", input="abc", expected="X", count=1),
    "thousand-and-one-runs-refused": dict(search="\\*" * 1001, fails=TOO_COMPLEX),
    # --- line breaks ---
    "line-break-forms": dict(search="\\n", replace="|", input="a\r\nb\n\rc\nd\re", expected="a|b|c|d|e", count=4),
    "lf-cr-lf-is-two-breaks": dict(search="\\n", replace="|", input="a\n\r\nb", expected="a||b", count=2),
    "any-char-on-crlf-takes-the-lf-along": dict(search="\\?", replace="x", input="a\r\nb", expected="xxx", count=3),
    # --- case-insensitive text in the code pages ---
    "ignore-case-win-russian-and-latin": dict(
        search="\\!ёлкаz",
        replace="X",
        input="ЁЛКАZ ёлкаz ЁлКаZ елкаz ЁЛКАy",
        expected="X X X елкаz ЁЛКАy",
        count=3,
    ),
    "ignore-case-koi-yo": dict(
        encoding="KOI", search="\\!ёж", replace="X", input="Ёж ёЖ еж", expected="X X еж", count=2
    ),
    "ignore-case-dos-box-character-is-not-a-letter": dict(
        encoding="DOS",
        search="\\!а",
        replace="X",
        input=enc("DOS", "а А ") + b"\xc0" + b" a",
        expected=b"X X \xc0 a",
        count=2,
    ),
    "ignore-case-iso": dict(
        encoding="ISO", search="\\!щука", replace="X", input="щука ЩУКА Щука шука", expected="X X X шука", count=3
    ),
    "ignore-case-mac-ya-and-non-letter": dict(
        encoding="MAC",
        search="\\!я",
        replace="X",
        input=enc("MAC", "я Я ") + b"\xff",
        expected=b"X X \xff",
        count=2,
    ),
    # --- recoding ---
    "recode-koi-to-win-while-replacing": dict(
        encoding="KOI", target="WIN", search="мир", replace="МИР", input="мир, Мир!", expected="МИР, Мир!", count=1
    ),
    "recode-dos-to-win-ignore-case": dict(
        encoding="DOS",
        target="WIN",
        search="\\!дом",
        replace="<\\1>",
        input="Дом ДОМ дым",
        expected="<Дом> <ДОМ> дым",
        count=2,
    ),
    "recode-only-with-empty-search": dict(
        target="KOI", search="", input="Привет", expected="Привет", count=0, progress=[0, 7]
    ),
    "empty-search-leaves-text": dict(search="", replace="X", input="abc", expected="abc", count=0, progress=[4]),
    # --- replace mask: case and arithmetic ---
    "case-modifiers-win": dict(
        search="\\+A", replace="\\+1/\\-1", input="Ёлка Tree", expected="ЁЛКА/ёлка TREE/tree", count=2
    ),
    "case-modifiers-mac": dict(encoding="MAC", search="\\+A", replace="\\-1/\\+1", input="Яё", expected="яё/ЯЁ", count=1),
    "arithmetic-operations": dict(
        search="\\+9\\_\\+9\\_\\+9\\_\\+9\\_\\+9",
        replace='\\+1 \\-3 \\"*12"5 \\"/2"7 \\"x5"9',
        input="9 0 3 7 007",
        expected="10 -1 36 3 7",
        count=1,
    ),
    "arithmetic-negative-operands-and-truncation": dict(
        search="\\+9\\_\\+9\\_\\+9",
        replace='\\"/-2"1 \\"*-3"3 \\"--5"5',
        input="7 5 3",
        expected="-3 -15 8",
        count=1,
    ),
    "arithmetic-faults-leave-digits": dict(
        search="\\+9\\_\\+9\\_\\+9",
        replace='\\"/0"1 \\"+x"3 \\"+"5',
        input="12 5 5",
        expected="12 5 6",
        count=1,
    ),
    "arithmetic-outside-32-bits-leaves-digits": dict(
        search="\\+9\\_\\+9\\_\\+9\\_\\+9\\_\\+9",
        replace='\\+1 \\+3 \\+5 \\"*2"7 \\"--2147483648"9',
        input="2147483646 2147483647 99999999999 1073741824 1",
        expected="2147483647 2147483647 99999999999 1073741824 1",
        count=1,
    ),
    "modified-references-count-once-per-match": dict(
        search="\\9", replace="\\+1\\+1", input="12", expected="2233", count=2
    ),
    # --- replace mask: the rest of its syntax ---
    "counter-ignores-its-modifier": dict(search="x", replace="\\c\\-c", input="xax", expected="12a34", count=2),
    "control-characters-and-default-lf": dict(
        search=";", replace="\\n\\r\\l\\t", input="a;b", expected="a\n\r\n\tb", count=1
    ),
    "line-break-follows-text-lf-cr": dict(
        search=";", replace="[\\n]", input="a;b\n\rc", expected="a[\n\r]b\n\rc", count=1
    ),
    "escaped-backslashes": dict(
        search="a\\\\b", replace="\\\\\\\\x\\\\", input="a\\b a\\\\b", expected="\\\\x\\ a\\\\b", count=1
    ),
    "reference-ten-and-semicolon": dict(
        search="\\T".join("abcdefghij"), replace="\\10\\1;0", input="abcdefghij!", expected="ja0!", count=1
    ),
    "quoted-modifier-keeps-escaped-quote": dict(
        search="\\(\\9\\)", replace='\\"\\"\\1\\""1', input="a1b2", expected='a"1"b"2"', count=2
    ),
    "quoted-modifier-before-other-char-drops-it": dict(
        search="x", replace='a\\"zz"qb\\xy1', input="-x-", expected="-abx-", count=1
    ),
    # --- malformed replace masks ---
    "malformed-reference-beyond-lexems": dict(
        search="a\\9b", replace="[\\1\\5]", input="a1b a2b", expected="[a [a", count=2, error=BAD_REPLACE
    ),
    "malformed-reference-zero": dict(search="x", replace="<\\0>", input="x1x", expected="<1<", count=2, error=BAD_REPLACE),
    "malformed-reference-too-large": dict(
        search="x", replace="<\\99999999999>", input="x", expected="<", count=1, error=BAD_REPLACE
    ),
    "malformed-modifier-at-end": dict(search="x", replace="y\\+", input="axb", expected="ayb", count=1, error=BAD_REPLACE),
    # --- contexts ---
    "context-nested-replacement-counts-inner": dict(
        search="<\\(\\9\\)>", replace='<\\"[\\1]"2>', input="<a1b22>", expected="<a[1]b[2][2]>", count=3
    ),
    "context-plain-reference-removes-inner-matches": dict(
        search="[\\(\\9\\)]", replace="\\1\\2\\3", input="x[a1b2]y [cd]", expected="x[ab]y [cd]", count=2
    ),
    "context-with-modified-reference-counts-one-more": dict(
        search="[\\(\\9\\)]", replace="\\+1\\2\\3", input="x[a1b2]y [cd]", expected="x[ab]y [cd]", count=4
    ),
    "context-without-children-keeps-text": dict(
        search="<\\(\\)>", replace='[\\"x"2]', input="<ab><>", expected="[ab][]", count=0
    ),
    "context-children-numbered-from-one": dict(
        search="\\(\\A\\9\\)", replace='\\"\\2\\1"1', input="a1 b2 c", expected="1a 2b c", count=2
    ),
    "context-line-break-comes-from-outer-text": dict(
        search="<\\(\\_\\)>", replace='\\"\\n"2', input="<a b>\r\n<c\nd e>", expected="a\r\nb\r\nc\nd\r\ne", count=2
    ),
    "context-in-context-line-break-comes-from-outer-text": dict(
        search="[\\(<\\(\\_\\)>\\)]",
        replace='[\\"<\\\\"\\n\\"2>"2]',
        input="[<a b> <c d>]\r\n",
        expected="[<a\r\nb> <c\r\nd>]\r\n",
        count=2,
    ),
    "context-forgets-block-ranges-between-matches": dict(
        search="<\\(\\{\\+9x\\}\\)>", replace='<\\"[\\1]"2>', input="<12><3x>", expected="<12><[3x]>", count=1
    ),
    "context-fault-reported-outside": dict(
        search="<\\(\\9\\)>", replace='<\\"\\2"2>', input="<a1>", expected="<a>", count=1, error=BAD_REPLACE
    ),
    # --- progress ---
    "progress-1000-characters": dict(
        search="b", input="a" * 1000, expected="a" * 1000, count=0, progress=[0, 500, 1000, 1001]
    ),
    "progress-skips-position-jumped-by-match": dict(
        search="\\+9",
        replace="#",
        input="a" * 498 + "123" + "a" * 499,
        expected="a" * 498 + "#" + "a" * 499,
        count=1,
        progress=[0, 1000, 1001],
    ),
    "progress-skips-lf-of-crlf": dict(
        search="b",
        input="a" * 498 + "\r\n" + "a" * 500,
        expected="a" * 498 + "\r\n" + "a" * 500,
        count=0,
        progress=[0, 1000, 1001],
    ),
}


def as_bytes(value, page):
    return value if isinstance(value, bytes) else enc(page, value)


def write_case(name, case):
    folder = HERE / name
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir()
    files = {"search": enc("WIN", case["search"])}
    if "fails" in case:
        files["fails"] = case["fails"].encode("utf-8")
    else:
        source = case.get("encoding", "WIN")
        target = case.get("target", source)
        if case.get("replace"):
            files["replace"] = enc("WIN", case["replace"])
        files["input"] = as_bytes(case["input"], source)
        files["expected"] = as_bytes(case["expected"], target)
        files["count"] = str(case["count"]).encode()
        if "encoding" in case:
            files["encoding"] = case["encoding"].encode()
        if "target" in case:
            files["target"] = case["target"].encode()
        if "error" in case:
            files["error"] = case["error"].encode("utf-8")
        if "progress" in case:
            files["progress"] = " ".join(map(str, case["progress"])).encode()
    for file, data in files.items():
        (folder / file).write_bytes(data)


def main():
    for name, case in CASES.items():
        write_case(name, case)
    # A folder with a search file is a case; one that left the table goes.
    for folder in sorted(p for p in HERE.iterdir() if p.is_dir() and p.name not in CASES):
        if (folder / "search").exists():
            shutil.rmtree(folder)
            print("removed", folder.name, file=sys.stderr)
    print(len(CASES), "cases written")


if __name__ == "__main__":
    main()
