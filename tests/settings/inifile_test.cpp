#include "settings/inifile.h"
#include "support/errorof.h"

#include "common/error.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace tekstovar {
namespace {

using test::ErrorOf;

using test::TTempDir;

TEST(IniRead, ValuesAreTrimmedAndLoseOnePairOfQuotes)
{
    TTempDir dir;
    IniFile ini(dir.Write("QZ.Ini",
        "[S]\r\n"
        "plain=  two words \t\r\n"
        "double=\" kept blanks \"\r\n"
        "single=' kept '\r\n"
        "twice=\"\"inner\"\"\r\n"
        "mixed=\"text'\r\n"
        "open=\"text\r\n"
        "lone=\"\r\n"
        "empty=\r\n"
        "equals=a=b\r\n"
        "  spaced  =  value\r\n"));
    EXPECT_EQ(ini.ReadString("S", "plain", "-"), "two words");
    EXPECT_EQ(ini.ReadString("S", "double", "-"), " kept blanks ");
    EXPECT_EQ(ini.ReadString("S", "single", "-"), " kept ");
    EXPECT_EQ(ini.ReadString("S", "twice", "-"), "\"inner\"");
    EXPECT_EQ(ini.ReadString("S", "mixed", "-"), "\"text'");
    EXPECT_EQ(ini.ReadString("S", "open", "-"), "\"text");
    EXPECT_EQ(ini.ReadString("S", "lone", "-"), "\"");
    EXPECT_EQ(ini.ReadString("S", "empty", "-"), "");
    EXPECT_EQ(ini.ReadString("S", "equals", "-"), "a=b");
    EXPECT_EQ(ini.ReadString("S", "spaced", "-"), "value");
    EXPECT_EQ(ini.ReadString("S", "absent", "-"), "-");
    EXPECT_EQ(ini.ReadString("Absent", "plain", "-"), "-");
    EXPECT_FALSE(ini.TryReadString("S", "absent").has_value());
}

TEST(IniRead, NamesIgnoreCaseOfAsciiLettersOnly)
{
    TTempDir dir;
    // "\xCF\xF0" and "\xEF\xF0" are the WIN bytes of the capital and the
    // small Cyrillic "П" followed by "р".
    IniFile ini(dir.Write("QZ.Ini", "[ General ]\r\nBackUp=0\r\n[\xCF\xF0]\r\nkey=cyr\r\n"));
    EXPECT_EQ(ini.ReadString("general", "backup", "-"), "0");
    EXPECT_EQ(ini.ReadString("GENERAL", "BACKUP", "-"), "0");
    EXPECT_EQ(ini.ReadString("\xCF\xF0", "KEY", "-"), "cyr");
    EXPECT_EQ(ini.ReadString("\xEF\xF0", "key", "-"), "-");
}

TEST(IniRead, StructureOfHandWrittenFiles)
{
    TTempDir dir;
    IniFile ini(dir.Write("QZ.Ini",
        "orphan=before any section\r\n"
        "; a comment=not a key\r\n"
        "[S]\r\n"
        "; key=commented out\r\n"
        "a line without an equals sign\r\n"
        "key=first\r\n"
        "KEY=second\r\n"
        "[S\r\n"
        "other=from the unclosed header\r\n"
        "[T] trailing text\r\n"
        "t=1\r\n"
        "[s]\r\n"
        "late=from the second S\r\n"
        "key=third\r\n"));
    EXPECT_EQ(ini.ReadString("", "orphan", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "; a comment", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "; key", "-"), "-");
    // The first of several lines with one name wins, across repeated sections too.
    EXPECT_EQ(ini.ReadString("S", "key", "-"), "first");
    EXPECT_EQ(ini.ReadString("S", "other", "-"), "from the unclosed header");
    EXPECT_EQ(ini.ReadString("T", "t", "-"), "1");
    EXPECT_EQ(ini.ReadString("S", "late", "-"), "from the second S");
}

TEST(IniRead, EveryKindOfLineEnd)
{
    TTempDir dir;
    IniFile crlf(dir.Write("crlf.ini", "[S]\r\na=1\r\nb=2"));
    IniFile lf(dir.Write("lf.ini", "[S]\na=1\nb=2\n"));
    IniFile cr(dir.Write("cr.ini", "[S]\ra=1\rb=2\r"));
    IniFile mixed(dir.Write("mixed.ini", "[S]\n\ra=1\r\r\nb=2\n"));
    for (IniFile* ini : {&crlf, &lf, &cr, &mixed}) {
        EXPECT_EQ(ini->ReadString("S", "a", "-"), "1") << ini->Path();
        EXPECT_EQ(ini->ReadString("S", "b", "-"), "2") << ini->Path();
    }
}

TEST(IniRead, LongValuesAreCutTo2047Bytes)
{
    TTempDir dir;
    const std::string exact(2047, 'x');
    const std::string longer = std::string(2047, 'y') + "tail";
    IniFile ini(
        dir.Write("QZ.Ini", "[S]\r\nexact=" + exact + "\r\nlonger=" + longer + "\r\nquoted=\"" + exact + "\"\r\n"));
    EXPECT_EQ(ini.ReadString("S", "exact", ""), exact);
    EXPECT_EQ(ini.ReadString("S", "longer", ""), std::string(2047, 'y'));
    EXPECT_EQ(ini.ReadString("S", "quoted", ""), exact);
    // Writing keeps the whole value; only reading cuts it.
    ini.WriteString("S", "written", longer);
    EXPECT_NE(TTempDir::Read(ini.Path()).find("written=" + longer + "\r\n"), std::string::npos);
}

TEST(IniRead, IntegersAndBooleans)
{
    TTempDir dir;
    IniFile ini(dir.Write("QZ.Ini",
        "[N]\r\n"
        "hex=0x4057\r\nupper=0X1f\r\nallbits=0xFFFFFFFF\r\nzeros=0x0000004057\r\n"
        "toobig=0x100000000\r\nbare=0x\r\nbadhex=0x4G\r\n"
        "negative=-5\r\npositive=+7\r\nmin=-2147483648\r\nover=2147483648\r\n"
        "word=yes\r\ntrailing=12abc\r\nfraction=1.5\r\nempty=\r\nsigns=+-3\r\n"
        "blanks=  42  \r\nquoted=\"43\"\r\n"
        "[B]\r\nzero=0\r\ntwo=2\r\nminus=-1\r\nhex=0x0\r\nword=true\r\n"));
    EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 16471);
    EXPECT_EQ(ini.ReadInteger("N", "upper", -1), 31);
    EXPECT_EQ(ini.ReadInteger("N", "allbits", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "zeros", -1), 16471);
    EXPECT_EQ(ini.ReadInteger("N", "negative", 0), -5);
    EXPECT_EQ(ini.ReadInteger("N", "positive", 0), 7);
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("N", "blanks", 0), 42);
    EXPECT_EQ(ini.ReadInteger("N", "quoted", 0), 43);
    for (const char* bad :
        {"toobig", "bare", "badhex", "over", "word", "trailing", "fraction", "empty", "signs", "none"})
        EXPECT_EQ(ini.ReadInteger("N", bad, 99), 99) << bad;

    // Booleans are integers, any non-zero one true; a word is the default.
    EXPECT_FALSE(ini.ReadBool("B", "zero", true));
    EXPECT_TRUE(ini.ReadBool("B", "two", false));
    EXPECT_TRUE(ini.ReadBool("B", "minus", false));
    EXPECT_FALSE(ini.ReadBool("B", "hex", true));
    EXPECT_TRUE(ini.ReadBool("B", "word", true));
    EXPECT_FALSE(ini.ReadBool("B", "word", false));
}

TEST(IniRead, MissingOrUnreadableFileGivesDefaults)
{
    TTempDir dir;
    IniFile missing(dir.Path("QZ.Ini"));
    EXPECT_EQ(missing.ReadString("S", "k", "default"), "default");
    EXPECT_EQ(missing.ReadInteger("S", "k", 5), 5);
    EXPECT_FALSE(TTempDir::Exists(dir.Path("QZ.Ini")));

    std::filesystem::create_directory(dir.Path("folder.ini"));
    IniFile folder(dir.Path("folder.ini"));
    EXPECT_EQ(folder.ReadString("S", "k", "default"), "default");
    EXPECT_EQ(missing.ReadError(), "");
    EXPECT_NE(folder.ReadError(), "");

    // A FIFO is not opened at all: that would wait for a writer. Nor is it
    // replaced by a write.
    const std::string fifo = dir.Path("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    IniFile special(fifo);
    EXPECT_EQ(special.ReadInteger("S", "k", 5), 5);
    EXPECT_EQ(special.ReadError(), "Не удаётся прочитать файл " + fifo + ": это не обычный файл");
    EXPECT_EQ(ErrorOf([&] { special.WriteString("S", "k", "v"); }), "Unable to write to " + fifo);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// Each key once, the line TryReadString reads, in file order; the value
// trimmed and unquoted but never cut. Writes keep it so.
TEST(IniRead, ReadSectionGivesTheKeysReadWholeInFileOrder)
{
    TTempDir dir;
    const std::string whole(3000, 'x');
    IniFile ini(dir.Write("QZ.Ini",
        "top=above every section\r\n[S]\r\nb= 2 \r\n; c=comment\r\nA=\"1\"\r\nB=second b\r\n[T]\r\nt=1\r\n"
        "[s]\r\nlong=" +
            whole + "\r\na=second a\r\n"));
    using TEntries = std::vector<std::pair<std::string, std::string>>;
    auto entries = [&ini](std::string_view section) {
        TEntries out;
        for (const IniFile::TEntry& e : ini.ReadSection(section))
            out.emplace_back(e.Name, e.Value);
        return out;
    };
    EXPECT_EQ(entries("S"), (TEntries{{"b", "2"}, {"a", "1"}, {"long", whole}}));
    EXPECT_EQ(ini.ReadString("S", "long", ""), std::string(2047, 'x'));
    EXPECT_TRUE(entries("none").empty());
    ini.Update([&] {
        ini.WriteString("S", "A", "changed");
        ini.WriteString("S", "new", "n");
        ini.WriteString("U", "u", "1");
    });
    EXPECT_EQ(entries("s"), (TEntries{{"b", "2"}, {"a", "changed"}, {"new", "n"}, {"long", whole}}));
    EXPECT_EQ(entries("U"), (TEntries{{"u", "1"}}));
}

TEST(IniRead, ByteOrderMarkDoesNotHideTheFirstSection)
{
    TTempDir dir;
    IniFile ini(dir.Write("QZ.Ini", "\xEF\xBB\xBF[General]\r\nkey=1\r\n"));
    EXPECT_EQ(ini.ReadString("General", "key", "-"), "1");
    ini.WriteString("General", "key", "2");
    EXPECT_EQ(TTempDir::Read(ini.Path()), "\xEF\xBB\xBF[General]\r\nkey=2\r\n");
}

TEST(IniRead, SeesChangesMadeByOthers)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini", "[S]\r\nk=old\r\n");
    IniFile reader(path);
    IniFile writer(path);
    EXPECT_EQ(reader.ReadString("S", "k", "-"), "old");
    writer.WriteString("S", "k", "new");
    EXPECT_EQ(reader.ReadString("S", "k", "-"), "new");
    // Rewritten in place by an editor: same file, other size.
    dir.Write("QZ.Ini", "[S]\r\nk=edited by hand\r\n");
    EXPECT_EQ(reader.ReadString("S", "k", "-"), "edited by hand");
    std::filesystem::remove(path);
    EXPECT_EQ(reader.ReadString("S", "k", "-"), "-");
}

TEST(IniWrite, ReplacesInPlaceAndKeepsEverythingElse)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini",
        "; settings written by hand\n"
        "[General]\n"
        "backup=1\n"
        "; about the next key\n"
        "WorkDir=/old/\n"
        "junk without equals\n"
        "\n"
        "[View]\n"
        "Left=5\n");
    IniFile ini(path);
    ini.WriteString("General", "BackUp", "0");
    EXPECT_EQ(TTempDir::Read(path),
        "; settings written by hand\r\n"
        "[General]\r\n"
        "BackUp=0\r\n"
        "; about the next key\r\n"
        "WorkDir=/old/\r\n"
        "junk without equals\r\n"
        "\r\n"
        "[View]\r\n"
        "Left=5\r\n");
    EXPECT_EQ(ini.ReadString("general", "backup", "-"), "0");
}

TEST(IniWrite, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini",
        "[A]\r\n"
        "a=1\r\n"
        "\r\n"
        "; heading of B\r\n"
        "[B]\r\n"
        "b=1\r\n"
        "[Empty]\r\n"
        "\r\n"
        "[a]\r\n"
        "second=1\r\n");
    IniFile ini(path);
    ini.WriteString("a", "new", "2");
    ini.WriteString("B", "new", "3");
    ini.WriteString("EMPTY", "new", "4");
    EXPECT_EQ(TTempDir::Read(path),
        "[A]\r\n"
        "a=1\r\n"
        "new=2\r\n"
        "\r\n"
        "; heading of B\r\n"
        "[B]\r\n"
        "b=1\r\n"
        "new=3\r\n"
        "[Empty]\r\n"
        "new=4\r\n"
        "\r\n"
        "[a]\r\n"
        "second=1\r\n");
}

TEST(IniWrite, NewSectionGoesAtTheEndOfTheFile)
{
    TTempDir dir;
    IniFile fresh(dir.Path("fresh.ini"));
    fresh.WriteString("S", "k", "v");
    fresh.WriteInteger("S", "n", -12);
    fresh.WriteBool("T", "yes", true);
    fresh.WriteBool("T", "no", false);
    EXPECT_EQ(TTempDir::Read(fresh.Path()), "[S]\r\nk=v\r\nn=-12\r\n\r\n[T]\r\nyes=1\r\nno=0\r\n");

    IniFile unterminated(dir.Write("old.ini", "[S]\nk=v"));
    unterminated.WriteString("New", "k", "w");
    EXPECT_EQ(TTempDir::Read(unterminated.Path()), "[S]\r\nk=v\r\n\r\n[New]\r\nk=w\r\n");
}

TEST(IniWrite, ValuesRoundTripAsBytes)
{
    TTempDir dir;
    IniFile ini(dir.Path("QZ.Ini"));
    // "Привет" in WIN bytes, and the bytes that are not letters at all.
    const std::string russian = "\xCF\xF0\xE8\xE2\xE5\xF2";
    const std::string high = "\x98\xFF\x80\x01";
    ini.WriteString("S", "ru", russian);
    ini.WriteString("S", "high", high);
    EXPECT_EQ(TTempDir::Read(ini.Path()), "[S]\r\nru=" + russian + "\r\nhigh=" + high + "\r\n");
    IniFile again(ini.Path());
    EXPECT_EQ(again.ReadString("S", "ru", ""), russian);
    EXPECT_EQ(again.ReadString("S", "high", ""), high);
}

TEST(IniWrite, EraseSectionRemovesItWhole)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini",
        "[Keep]\r\nk=1\r\n\r\n[Lib]\r\nCount=2\r\n; "
        "note\r\nString0=.a.\r\n\r\n[Other]\r\no=1\r\n[LIB]\r\nString1=.b.\r\n");
    IniFile ini(path);
    ini.EraseSection("lib");
    EXPECT_EQ(TTempDir::Read(path), "[Keep]\r\nk=1\r\n\r\n[Other]\r\no=1\r\n");
    EXPECT_EQ(ini.ReadString("Lib", "String1", "-"), "-");
    ini.WriteString("Lib", "Count", "0");
    EXPECT_EQ(TTempDir::Read(path), "[Keep]\r\nk=1\r\n\r\n[Other]\r\no=1\r\n\r\n[Lib]\r\nCount=0\r\n");

    // Nothing to erase: no file is made.
    IniFile missing(dir.Path("missing.ini"));
    missing.EraseSection("Lib");
    EXPECT_FALSE(TTempDir::Exists(missing.Path()));
}

TEST(IniWrite, FailureNamesTheFileAndKeepsTheOldOne)
{
    TTempDir dir;
    // Root may write anywhere, but not below a regular file.
    const std::string blocker = dir.Write("plain-file", "not a directory");
    const std::string path = blocker + "/QZ.Ini";
    IniFile ini(path);
    EXPECT_EQ(ErrorOf([&] { ini.WriteString("S", "k", "v"); }), "Unable to write to " + path);
    EXPECT_EQ(ErrorOf([&] { ini.WriteBool("S", "k", true); }), "Unable to write to " + path);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    EXPECT_EQ(TTempDir::Read(blocker), "not a directory");

    IniFile nowhere(dir.Path("missing/QZ.Ini"));
    EXPECT_EQ(ErrorOf([&] { nowhere.WriteString("S", "k", "v"); }), "Unable to write to " + nowhere.Path());
    EXPECT_EQ(nowhere.ReadString("S", "k", "-"), "-");

    // A directory where the file should be cannot be read, so it is not replaced.
    std::filesystem::create_directory(dir.Path("folder.ini"));
    IniFile folder(dir.Path("folder.ini"));
    EXPECT_EQ(ErrorOf([&] { folder.WriteString("S", "k", "v"); }), "Unable to write to " + folder.Path());
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
}

TEST(IniWrite, RefusesWhatCouldNotBeReadBack)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini", "[S]\r\nk=old\r\n");
    IniFile ini(path);
    for (const char* value : {"two\r\nlines", "a\nb", "a\rb"})
        EXPECT_EQ(ErrorOf([&] { ini.WriteString("S", "k", value); }),
            "Значение ключа k раздела [S] содержит перевод строки и не может быть записано в файл настроек");
    EXPECT_NE(ErrorOf([&] { ini.WriteString("S", "a=b", "v"); }), "no error");
    EXPECT_NE(ErrorOf([&] { ini.WriteString("S]", "k", "v"); }), "no error");
    EXPECT_NE(ErrorOf([&] { ini.WriteString("S", "", "v"); }), "no error");
    EXPECT_EQ(TTempDir::Read(path), "[S]\r\nk=old\r\n");
}

TEST(IniWrite, UpdateWritesAllChangesAtOnceOrNone)
{
    TTempDir dir;
    const std::string path = dir.Write("QZ.Ini", "[S]\r\nk=old\r\n");
    IniFile ini(path);
    ini.Update([&] {
        ini.WriteString("S", "k", "new");
        ini.WriteString("T", "t", "1");
        ini.EraseSection("S");
        ini.WriteString("S", "again", "2");
        // The batch sees its own changes; the disk does not yet.
        EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
        EXPECT_EQ(ini.ReadString("S", "again", "-"), "2");
        EXPECT_EQ(TTempDir::Read(path), "[S]\r\nk=old\r\n");
    });
    EXPECT_EQ(TTempDir::Read(path), "[T]\r\nt=1\r\n\r\n[S]\r\nagain=2\r\n");

    EXPECT_EQ(ErrorOf([&] {
        ini.Update([&] {
            ini.WriteString("T", "t", "changed");
            ini.WriteString("T", "bad", "line\nbreak");
        });
    }),
        "Значение ключа bad раздела [T] содержит перевод строки и не может быть записано в файл настроек");
    EXPECT_EQ(TTempDir::Read(path), "[T]\r\nt=1\r\n\r\n[S]\r\nagain=2\r\n");
    EXPECT_EQ(ini.ReadString("T", "t", "-"), "1");
}

TEST(IniValue, UnquoteJudgesEachEndOnItsOwn)
{
    EXPECT_EQ(UnquoteIniValue(".text."), "text");
    EXPECT_EQ(UnquoteIniValue("\"text\""), "text");
    EXPECT_EQ(UnquoteIniValue("\"text."), "text");
    EXPECT_EQ(UnquoteIniValue(".text"), "text");
    EXPECT_EQ(UnquoteIniValue("text."), "text");
    EXPECT_EQ(UnquoteIniValue("text"), "text");
    EXPECT_EQ(UnquoteIniValue(".."), "");
    EXPECT_EQ(UnquoteIniValue("\"."), "");
    EXPECT_EQ(UnquoteIniValue("a.."), "a.");
    EXPECT_EQ(UnquoteIniValue("..."), ".");
    EXPECT_EQ(UnquoteIniValue("."), ".");
    EXPECT_EQ(UnquoteIniValue("\""), "\"");
    EXPECT_EQ(UnquoteIniValue(""), "");
    EXPECT_EQ(UnquoteIniValue("'x'"), "'x'");
}

TEST(IniValue, WrappedValuesSurviveTheFile)
{
    TTempDir dir;
    IniFile ini(dir.Path("QZ.Ini"));
    const std::vector<std::string> values = {
        " blanks at both ends ", "", "\"quoted\"", "'single'", ".dots.", "\t", "a"};
    for (std::size_t i = 0; i < values.size(); ++i)
        ini.WriteString("W", "v" + std::to_string(i), WrapIniValue(values[i]));
    EXPECT_NE(TTempDir::Read(ini.Path()).find("v0=. blanks at both ends .\r\nv1=..\r\n"), std::string::npos);
    IniFile again(ini.Path());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(UnquoteIniValue(again.ReadString("W", "v" + std::to_string(i), "-")), values[i]) << i;
}

} // namespace
} // namespace tekstovar
