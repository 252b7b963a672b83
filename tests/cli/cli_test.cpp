// Runs the real tekstovar-cli on real files and checks its streams and exit
// status byte for byte.

#include "clitest.h"
#include "encodings/utf8.h"

namespace tekstovar {
namespace {

TEST_F(CliTest, NumbersGrowByOneAroundBinaryBytesAndCrLf)
{
    const std::string input = "a 12 b 9\r\n\x00\xFF\x98\x1A z 099\r\n"s;
    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--from", "WIN"}, input);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "a 13 b 10\r\n\x00\xFF\x98\x1A z 100\r\n"s);
    EXPECT_EQ(run.Err, "replacements: 3\n");

    const TRun wrap = Run({"-s", "\\+9", "-r", "[\\1]"}, "x12y3\n");
    EXPECT_EQ(wrap.Status, 0);
    EXPECT_EQ(wrap.Out, "x[12]y[3]\n");
    EXPECT_EQ(wrap.Err, "replacements: 2\n");
}

TEST_F(CliTest, WithoutMatchesTheInputComesBackUnchanged)
{
    std::string all;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
    all += "\r\n\r\n\n\r";
    const TRun run = Run({"-s", "qqq", "-r", "x", "--from", "WIN"}, all);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, all);
    EXPECT_EQ(run.Err, "replacements: 0\n");

    const TRun empty = Run({"-s", "a", "-r", "b"}, "");
    EXPECT_EQ(empty.Status, 0);
    EXPECT_EQ(empty.Out, "");
    EXPECT_EQ(empty.Err, "replacements: 0\n");

    // No masks at all: nothing to find, nothing to recode.
    const TRun none = Run({}, "abc\r\n\xE0");
    EXPECT_EQ(none.Status, 0);
    EXPECT_EQ(none.Out, "abc\r\n\xE0");
    EXPECT_EQ(none.Err, "replacements: 0\n");
}

TEST_F(CliTest, AbsentReplaceMaskDeletes)
{
    const TRun run = Run({"-s", "b"}, "abcb");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "ac");
    EXPECT_EQ(run.Err, "replacements: 2\n");
}

// \n writes the input's own break; input without one gets LF, as a file
// written here would.
TEST_F(CliTest, MaskLineBreakFollowsTheInput)
{
    const TRun none = Run({"-s", ";", "-r", "\\n"}, "a;b");
    EXPECT_EQ(none.Status, 0);
    EXPECT_EQ(none.Out, "a\nb");
    EXPECT_EQ(Run({"-s", ";", "-r", "\\n"}, "a;b\r\n").Out, "a\r\nb\r\n");
}

TEST_F(CliTest, LargeInputThroughAPipe)
{
    std::string input;
    std::string expected;
    for (int i = 0; i < 30000; ++i) {
        input += "n=" + std::to_string(i) + ";\r\n";
        expected += "n=" + std::to_string(i + 1) + ";\r\n";
    }
    ASSERT_GT(input.size(), 256u * 1024);
    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--from", "WIN"}, input, true);
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out == expected) << "output differs; sizes " << run.Out.size() << " and " << expected.size();
    EXPECT_EQ(run.Err, "replacements: 30000\n");
}

TEST_F(CliTest, WarningsComeJustBeforeTheCount)
{
    const TRun context = Run({"-s", "ab\\)", "-r", "Z"}, "xab ab");
    EXPECT_EQ(context.Status, 0);
    EXPECT_EQ(context.Out, "xZ Z");
    EXPECT_EQ(Lines(context.Err),
        (std::vector<std::string>{"warning: Отсутствует Открывающая Пара Для \\) (Символ 3)", "replacements: 2"}));

    const TRun replace = Run({"-s", "\\+9", "-r", "x\\5"}, "x1y");
    EXPECT_EQ(replace.Status, 0);
    EXPECT_EQ(
        Lines(replace.Err), (std::vector<std::string>{"warning: Неверный Формат Строки Замены", "replacements: 1"}));
}

TEST_F(CliTest, UnclosedBracketStopsBeforeAnyOutput)
{
    for (const char* mask : {"\\(abc", "\\[a\\Tb", "x\\{y"}) {
        SCOPED_TRACE(mask);
        const TRun run = Run({"-s", mask, "-r", "z"}, "abc abc\n");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find("Отсутствует Закрывающая Пара Для \\(,\\[ Или \\{"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Err.find("replacements:"), std::string::npos) << run.Err;
    }
    // The same from a mask file.
    const fs::path mask = File("open.mask", "\\(abc");
    const TRun run = Run({"--search-file", mask.string()}, "abc");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("Отсутствует Закрывающая Пара"), std::string::npos) << run.Err;
}

TEST_F(CliTest, CommandLinesThatCannotBeUnderstood)
{
    const std::vector<std::vector<std::string>> lines = {
        {"--bogus"},
        {"-x", "a"},
        {"--from", "koi"},
        {"--to", "KOI8-R"},
        {"--from", "WIN "},
        {"--from"},
        {"-s"},
        {"--names"},
        {"--detect"},
        {"--restore"},
        {"--restore", "--detect", "a"},
        {"--scenario", "x", "-s", "a"},
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TRun run = Run(args, "abc");
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find("usage:"), std::string::npos) << run.Err;
    }
}

TEST_F(CliTest, MaskFilesThatCannotBeRead)
{
    const std::string missing = (Dir / "no-such.mask").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--search-file", missing}, {"-s", "a", "--replace-file", missing}, {"--search-file", Dir.string()}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TRun run = Run(args, "abc");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_FALSE(run.Err.empty());
        EXPECT_EQ(run.Err.find("replacements:"), std::string::npos) << run.Err;
    }
}

TEST_F(CliTest, MaskFilesAreTakenWholeAsWinBytes)
{
    // The trailing line break is part of the mask: only "ab" at a line end matches.
    const fs::path search = File("search.mask", "ab\n");
    const TRun run = Run({"--search-file", search.string(), "-r", "X"}, "ab\nab ab\r\nab\n");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "Xab ab\r\nX");
    EXPECT_EQ(run.Err, "replacements: 2\n");

    // WIN bytes that are no UTF-8 reach the engine as they stand: мир -> Свет.
    const fs::path find = File("find.mask", "\xEC\xE8\xF0");
    const fs::path put = File("put.mask", "\xD1\xE2\xE5\xF2\r\n");
    const TRun win = Run({"--search-file", find.string(), "--replace-file", put.string(), "--from", "WIN"},
        "\xCC\xE8\xF0 \xEC\xE8\xF0!");
    EXPECT_EQ(win.Status, 0);
    EXPECT_EQ(win.Out, "\xCC\xE8\xF0 \xD1\xE2\xE5\xF2\r\n!");
    EXPECT_EQ(win.Err, "replacements: 1\n");
}

TEST_F(CliTest, TypedMasksAreUtf8)
{
    const TRun run = Run({"-s", "мир", "-r", "МИР №1"}, "\xEC\xE8\xF0, \xEC\xE8\xF0");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
        "\xCC\xC8\xD0 \xB9"
        "1, \xCC\xC8\xD0 \xB9"
        "1"s);
    EXPECT_EQ(run.Err, "replacements: 2\n");
}

TEST_F(CliTest, InputPageIsDetectedOrGiven)
{
    const std::string koi = InPage(Prose, EncodingKoi);
    ASSERT_NE(koi, Utf8ToWin(Prose));
    const std::string koiMoroz = InPage("Мороз", EncodingKoi);
    const std::string koiZima = InPage("Зима", EncodingKoi);

    // Detected as KOI: the WIN mask is taken into KOI, and so is the replacement.
    const TRun detected = Run({"-s", "Мороз", "-r", "Зима"}, koi);
    EXPECT_EQ(detected.Status, 0);
    EXPECT_EQ(detected.Out, koiZima + koi.substr(koiMoroz.size()));
    EXPECT_EQ(detected.Err, "replacements: 1\n");

    // Told it is KOI: the same.
    const TRun given = Run({"-s", "Мороз", "-r", "Зима", "--from", "KOI"}, koi);
    EXPECT_EQ(given.Out, detected.Out);
    EXPECT_EQ(given.Err, "replacements: 1\n");

    // Told it is WIN, the KOI bytes of Мороз are not those of the mask.
    const TRun wrong = Run({"-s", "Мороз", "-r", "Зима", "--from", "WIN"}, koi);
    EXPECT_EQ(wrong.Status, 0);
    EXPECT_EQ(wrong.Out, koi);
    EXPECT_EQ(wrong.Err, "replacements: 0\n");

    // Detection looks at the first 512 bytes only: behind 512 blanks the same
    // text is taken for WIN.
    const std::string padded = std::string(512, ' ') + koi;
    const TRun late = Run({"-s", "Мороз", "-r", "Зима"}, padded);
    EXPECT_EQ(late.Out, padded);
    EXPECT_EQ(late.Err, "replacements: 0\n");
    const std::string shorter = std::string(256, ' ') + koi;
    const TRun early = Run({"-s", "Мороз", "-r", "Зима"}, shorter);
    EXPECT_EQ(early.Err, "replacements: 1\n");
}

TEST_F(CliTest, ResultIsRecodedWithTo)
{
    // Привет, мир! in WIN; мир -> свет, then all into KOI.
    const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!\r\n";
    const TRun run = Run({"-s", "мир", "-r", "свет", "--from", "WIN", "--to", "KOI"}, win);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "\xF0\xD2\xC9\xD7\xC5\xD4, \xD3\xD7\xC5\xD4!\r\n");
    EXPECT_EQ(run.Err, "replacements: 1\n");

    // A DOS input into ISO, by detection.
    const TRun dos = Run({"--to", "ISO"}, InPage(Prose, EncodingDos));
    EXPECT_EQ(dos.Status, 0);
    EXPECT_EQ(dos.Out, InPage(Prose, EncodingIso));
    EXPECT_EQ(dos.Err, "replacements: 0\n");
}

TEST_F(CliTest, EmptySearchMaskOnlyRecodes)
{
    // Letters change, everything else (0xB3, box drawing, binary) stays.
    const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2 \xB3 \xA8\xB8 \x00\x98\xC0\r\n"s;
    const TRun run = Run({"--from", "WIN", "--to", "DOS"}, win);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "\x8F\xE0\xA8\xA2\xA5\xE2 \xB3 \xF0\xF1 \x00\x98\x80\r\n"s);
    EXPECT_EQ(run.Err, "replacements: 0\n");

    // Back again: the 0x98 that passed as a non-letter of WIN is Ш in DOS.
    const TRun back = Run({"--from", "DOS", "--to", "WIN", "-r", "ignored"}, run.Out);
    EXPECT_EQ(back.Status, 0);
    EXPECT_EQ(back.Out, "\xCF\xF0\xE8\xE2\xE5\xF2 \xB3 \xA8\xB8 \x00\xD8\xC0\r\n"s);
    EXPECT_EQ(back.Err, "replacements: 0\n");

    // MAC Ш is 0x98, the byte WIN leaves unassigned.
    const TRun mac = Run({"--from", "WIN", "--to", "MAC"}, "\xD8\xE0\xF0");
    EXPECT_EQ(mac.Out, "\x98\xE0\xF0");
}

TEST_F(CliTest, DetectPrintsOneLinePerFile)
{
    const fs::path koi = File("koi.txt", InPage(Prose, EncodingKoi));
    const fs::path dos = File("dos.txt", InPage(Prose, EncodingDos));
    const fs::path iso = File("iso.txt", InPage(Prose, EncodingIso));
    const fs::path mac = File("mac.txt", InPage(Prose, EncodingMac));
    const fs::path win = File("win.txt", InPage(Prose, EncodingWin));
    const fs::path ascii = File("ascii.txt", "plain text\r\n");
    const fs::path empty = File("empty.txt", "");
    const fs::path late = File("late.txt", std::string(512, '-') + InPage(Prose, EncodingKoi));
    const TRun run = Run({"--detect", koi.string(), dos.string(), iso.string(), mac.string(), win.string(),
        ascii.string(), empty.string(), late.string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
        koi.string() + "\tKOI\n" + dos.string() + "\tDOS\n" + iso.string() + "\tISO\n" + mac.string() + "\tMAC\n" +
            win.string() + "\tWIN\n" + ascii.string() + "\tWIN\n" + empty.string() + "\tWIN\n" + late.string() +
            "\tWIN\n");
    EXPECT_EQ(run.Err, "");
}

TEST_F(CliTest, DetectGoesOnPastAnUnreadableFile)
{
    const fs::path koi = File("koi.txt", InPage(Prose, EncodingKoi));
    const fs::path dos = File("dos.txt", InPage(Prose, EncodingDos));
    const std::string missing = (Dir / "missing.txt").string();
    const TRun run = Run({"--detect", koi.string(), missing, dos.string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, koi.string() + "\tKOI\n" + dos.string() + "\tDOS\n");
    EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;

    const TRun none = Run({"--detect"});
    EXPECT_EQ(none.Status, 2);
    EXPECT_EQ(none.Out, "");
}

TEST_F(CliTest, HelpDescribesTheOptions)
{
    for (const char* flag : {"--help", "-h"}) {
        SCOPED_TRACE(flag);
        const TRun run = Run({flag});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Err, "");
        for (const char* word : {"-s MASK", "--search-file", "-r MASK", "--replace-file", "--from", "--to", "--detect",
                 "WIN KOI DOS ISO MAC", "replacements: N", "warning: MESSAGE"})
            EXPECT_NE(run.Out.find(word), std::string::npos) << word;
    }
}

} // namespace
} // namespace tekstovar

namespace tekstovar {
namespace {

// UTF-8 on the command line: detected, replaced in as UTF-8, recoded into
// and out of; a text that cannot go is written nowhere.
TEST_F(CliTest, Utf8TextsAndFiles)
{
    const std::string bom(Utf8Bom);
    const fs::path utf = File("utf.txt", bom + "Привет, мир\r\n");
    const fs::path koi = File("koi.txt", InPage("мир", EncodingKoi));
    const TRun detect = Run({"--detect", utf.string(), koi.string()});
    EXPECT_EQ(detect.Out, utf.string() + "\tUTF\n" + koi.string() + "\tKOI\n");

    const TRun replaced = Run({"-s", "мир", "-r", "свет"}, "мир и мир\n");
    EXPECT_EQ(replaced.Status, 0);
    EXPECT_EQ(replaced.Out, "свет и свет\n");
    const TRun toUtf = Run({"--from", "KOI", "--to", "UTF"}, InPage("мир", EncodingKoi));
    EXPECT_EQ(toUtf.Out, "мир");
    const TRun fromUtf = Run({"--to", "DOS"}, "мир");
    EXPECT_EQ(fromUtf.Out, InPage("мир", EncodingDos));
    const TRun refused = Run({"--from", "UTF", "-s", "a", "-r", "b"}, "a \xFF");
    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Out, "");
    EXPECT_NE(refused.Err.find("UTF-8"), std::string::npos) << refused.Err;

    const TRun files = Run({"-s", "мир", "-r", "свет", "--to", "UTF", utf.string(), koi.string()});
    EXPECT_EQ(files.Status, 0) << files.Err;
    EXPECT_EQ(ReadBytes(utf), bom + "Привет, свет\r\n");
    EXPECT_EQ(ReadBytes(koi), "свет");
}

// A large file on standard input is read where it lies; what comes out must
// be what the same bytes through a pipe give, whatever the pages, and from
// where the descriptor stands when another program read part of it first.
TEST_F(CliTest, LargeFilesOnStandardInputGiveWhatAPipeGives)
{
    std::string prose;
    while (prose.size() < (5u << 20)) // about 3 MB in WIN: half of it is still mapped
        prose += std::string(Prose) + std::to_string(prose.size()) + " <b>34</b>\r\n";
    const std::string win = InPage(prose, EncodingWin);
    const struct {
        std::vector<std::string> Args;
        std::string Input;
    } cases[] = {
        {{"-s", "солнце", "-r", "луна", "--from", "WIN"}, win},
        {{"-s", "\\+9", "-r", "\\+1", "--to", "KOI"}, win},
        {{"-s", "<\\*>", "-r", "", "--from", "WIN", "--to", "UTF"}, win},
        {{"-s", "солнце", "-r", "луна", "--from", "UTF"}, "\xEF\xBB\xBF" + prose},
        {{"-s", "солнце", "-r", "луна"}, prose}, // found to be UTF-8: read after all
        {{"--from", "WIN", "--to", "DOS"}, win},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args[1]);
        const TRun piped = Run(c.Args, c.Input, true);
        const TRun mapped = Run(c.Args, c.Input);
        EXPECT_EQ(mapped.Status, 0);
        EXPECT_TRUE(mapped.Out == piped.Out) << "sizes " << mapped.Out.size() << " and " << piped.Out.size();
        EXPECT_EQ(mapped.Err, piped.Err);
    }
    // Half of the file read already by someone else: the rest is the input.
    const fs::path in = File("half.txt", win);
    const int fd = ::open(in.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, static_cast<off_t>(win.size() / 2), SEEK_SET), static_cast<off_t>(win.size() / 2));
    const pid_t pid = Start({"--from", "WIN", "--to", "KOI"}, fd, Dir / "out.bin", Dir / "err.bin");
    ::close(fd);
    EXPECT_EQ(WaitFor(pid), 0);
    std::string rest = win.substr(win.size() / 2);
    RecodeString(rest, EncodingWin, EncodingKoi);
    EXPECT_TRUE(ReadBytes(Dir / "out.bin") == rest);
}

} // namespace
} // namespace tekstovar
