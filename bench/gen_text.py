#!/usr/bin/env python3
"""Make a deterministic Russian text in Windows-1251 for the benchmarks.

    gen_text.py SIZE_MB OUTPUT [--seed N]

SIZE_MB is in units of 2**20 bytes; the file is cut at a line end at or just
past that size.  The same size and seed always give the same bytes.

The text is built so that the tools it is timed against give comparable
output:
  * only ASCII and the Cyrillic letters (with Ё ё) are used, all of which
    exist in KOI8-R, so iconv never stops on an unmappable character;
  * '<' and '>' appear only in tags, tags are never empty and never broken
    across lines, so a line-by-line sed sees the same spans as a whole-text
    search;
  * numbers are plain ASCII digit runs without leading zeros, below 2**31 - 1,
    so "add one" gives the same digits in perl as in tekstovar-cli, whose
    arithmetic is 32-bit and leaves larger numbers as they are.
"""

import argparse
import random
import sys

WORDS = """
и в не на я что он с как а то все она так его но да ты к у же вы за бы по
только ее мне было вот от меня еще нет о из ему теперь когда даже ну вдруг
ли если уже или ни быть был него до вас нибудь опять уж вам ведь там потом
себя ничего ей может они тут где есть надо ней для мы тебя их чем была сам
чтоб без будто чего раз тоже себе под будет ж тогда кто этот того потому
этого какой совсем ним здесь этом один почти мой тем чтобы нее сейчас были
куда зачем всех никогда можно при наконец два об другой хоть после над
больше тот через эти нас про всего них какая много разве три эту моя
впрочем хорошо свою этой перед иногда лучше чуть том нельзя такой им более
всегда конечно всю между
который которые которого которая котором которой которым которых
который который который который
человек время год жизнь день рука работа слово место лицо друг глаз вопрос
дом сторона страна мир случай голова ребенок сила конец вид система часть
город отношение женщина деньги земля машина вода отец проблема час право
нога решение дверь образ история власть закон война бог голос тысяча книга
возможность результат ночь стол имя область статья число компания народ
жена группа развитие процесс суд условие средство начало свет пора путь
душа уровень форма связь минута улица вечер качество мысль дорога мать
действие месяц государство язык любовь взгляд мама век школа цель общество
деятельность организация президент комната порядок момент театр письмо
утро помощь ситуация роль рубль смысл состояние квартира орган внимание
тело труд сын мера смерть рынок программа задача предприятие окно разговор
правительство семья производство информация положение центр ответ муж
автор стена интерес федерация правило управление мужчина идея партия
большой новый должен свой первый хороший последний русский белый высокий
старый молодой главный другой общий полный важный черный живой простой
известный нужный сильный настоящий маленький плохой возможный длинный
быть сказать мочь говорить знать стать хотеть идти видеть думать делать
жить смотреть сидеть понять иметь получить спросить работать стоять дать
пойти любить начать казаться понимать выйти взять читать писать помнить
ещё ёлка всё её зелёный тёмный лёгкий чёрный берёза объём
""".split()

TAGS = [
    b"<b>", b"</b>", b"<i>", b"</i>", b"<br>", b"<p>", b"</p>",
    b'<a href="x">', b"</a>", b'<span class="note">', b"</span>",
    b'<img src="pic.png" alt="">', b"<h2>", b"</h2>",
]

LINE_WIDTH = 70


def build_vocab():
    plain = [w.encode("cp1251") for w in WORDS]
    capital = [(w[0].upper() + w[1:]).encode("cp1251") for w in WORDS]
    return plain, capital


def number(rng):
    r = rng.random()
    if r < 0.45:
        n = rng.randint(0, 99)
    elif r < 0.75:
        n = rng.randint(1800, 2030)          # years
    elif r < 0.95:
        n = rng.randint(100, 999_999)
    else:
        n = rng.randint(10**6, 2_000_000_000)  # long runs, still 32-bit
    return str(n).encode("ascii")


def tokens(rng, plain, capital):
    """Yield the text as tokens; a token is never split across lines."""
    nv = len(plain)
    rand = rng.random
    randrange = rng.randrange
    while True:
        length = randrange(4, 17)
        for i in range(length):
            r = rand()
            if r < 0.045:
                tok = number(rng)
            else:
                tok = capital[randrange(nv)] if i == 0 else plain[randrange(nv)]
            if i == length - 1:
                e = rand()
                tok += b"." if e < 0.8 else (b"!" if e < 0.9 else (b"?" if e < 0.97 else b"..."))
            elif rand() < 0.08:
                tok += b"," if rand() < 0.85 else (b";" if rand() < 0.5 else b":")
            yield tok
            if rand() < 0.015:
                yield TAGS[randrange(len(TAGS))]
        if rand() < 0.03:
            yield b"-"                       # dash between sentences
        if rand() < 0.06:
            yield None                       # paragraph break


def generate(size_bytes, seed, out):
    rng = random.Random(seed)
    plain, capital = build_vocab()
    written = 0
    line = []
    width = 0
    chunk = []
    chunk_len = 0
    for tok in tokens(rng, plain, capital):
        if tok is None:
            if line:
                chunk.append(b" ".join(line) + b"\r\n\r\n")
            else:
                chunk.append(b"\r\n")
            line, width = [], 0
        else:
            # Break before a token that would run past the width, so lines
            # stay near LINE_WIDTH and a tag always stays whole on one line.
            if line and width + len(tok) > LINE_WIDTH:
                chunk.append(b" ".join(line) + b"\r\n")
                line, width = [tok], len(tok) + 1
            else:
                line.append(tok)
                width += len(tok) + 1
                continue
        chunk_len += len(chunk[-1])
        if chunk_len >= 1 << 20 or written + chunk_len >= size_bytes:
            data = b"".join(chunk)
            out.write(data)
            written += len(data)
            chunk, chunk_len = [], 0
            if written >= size_bytes:
                break
    return written


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("size_mb", type=float, help="size in units of 2**20 bytes")
    ap.add_argument("output", help="file to write ('-' for standard output)")
    ap.add_argument("--seed", type=int, default=1251)
    args = ap.parse_args()
    size = int(args.size_mb * (1 << 20))
    if size <= 0:
        ap.error("size must be positive")
    if args.output == "-":
        generate(size, args.seed, sys.stdout.buffer)
    else:
        with open(args.output, "wb") as f:
            generate(size, args.seed, f)


if __name__ == "__main__":
    main()
