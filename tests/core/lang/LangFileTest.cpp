// Language files: which line answers a lookup, and what odd files do.

#include "LangTestSupport.h"

#include "lang/CLangFile.h"

using namespace tarvola;
using tarvola::testing::LangFolder;
using tarvola::testing::utf16le;

TEST(CLangFile, TheFirstLineWithTheKeyAndTwoTabsAnswers)
{
    LangFolder dir;
    const CLangFile file(dir.write("CZECH.csv", utf16le(
        "Zapisz\tnote\tUložit\r\n"
        "Zapisz\tnote\tlater duplicate\r\n"
        "Wyjście\tUkončit\r\n"                 // one tab: never matches ...
        "Wyjście\t\tKonec\ta tab kept\r\n"     // ... so a later line can
        "no tab at all\r\n"
        "Puste\tnote\t\r\n"                    // an empty translation is a translation
        "Ostatni\t\tPoslední")));              // the last line needs no line end
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.lookup("Zapisz"), "Uložit");
    EXPECT_EQ(file.lookup("Wyjście"), "Konec\ta tab kept");
    EXPECT_EQ(file.lookup("Puste"), "");
    EXPECT_EQ(file.lookup("Ostatni"), "Poslední");
    EXPECT_EQ(file.lookup("Brak"), "Brak");
    EXPECT_EQ(file.lookup("note"), "note");
    EXPECT_EQ(file.lookup(""), "");

    const CLangFile missing(dir.path / "THAI.csv");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.lookup("Zapisz"), "Zapisz");
    // A folder under the file's name reads as no file.
    EXPECT_FALSE(CLangFile(dir.path).isOpen());
}

TEST(CLangFile, OddEncodingsAndBrokenBytesNeverLoseTheRestOfTheFile)
{
    // Without a mark the first character is text, not a mark to skip.
    EXPECT_EQ(CLangFile::fromBytes(utf16le("Tak\t\tAno\r\n", false)).lookup("Tak"), "Ano");
    // Big-endian and UTF-8 files, as an editor may save them.
    EXPECT_EQ(CLangFile::fromBytes("\xFE\xFF" + std::string("\0T\0a\0k\0\t\0\t\0A", 12)).lookup("Tak"), "A");
    EXPECT_EQ(CLangFile::fromBytes("\xEF\xBB\xBFTak\t\tTaip\n").lookup("Tak"), "Taip");

    // A lone surrogate shows as U+FFFD in a translation and spoils only its own key; a final odd
    // byte is dropped.
    std::string bytes = utf16le("Zły\t\t") + std::string("\x00\xD8", 2) + utf16le("x\r\nDobry\t\tGood\r\n", false);
    bytes += '\x41';
    const CLangFile file = CLangFile::fromBytes(bytes);
    EXPECT_EQ(file.lookup("Zły"), "\xEF\xBF\xBDx");
    EXPECT_EQ(file.lookup("Dobry"), "Good");
}

TEST(CLangFile, ALongLineIsCutAtItsLimitAndItsRestIsNoLine)
{
    const std::string key = "Długi";
    const std::size_t room = CLangFile::kMaxLineChars - 7; // the key and two tabs take 7 units
    // The rest of the long line looks like a line of its own; it must not become one.
    const std::string translation = std::string(room, 'a') + "TAIL\tX\tY";
    const CLangFile file = CLangFile::fromBytes(utf16le(key + "\t\t" + translation + "\r\nX\t\tZ\r\n"));
    EXPECT_EQ(file.lookup(key), std::string(room, 'a'));
    EXPECT_EQ(file.lookup("TAIL"), "TAIL");
    EXPECT_EQ(file.lookup("X"), "Z");

    // A cut that would split a surrogate pair leaves the whole pair out.
    const std::string emoji = "\xF0\x9F\x98\x80"; // two UTF-16 units
    const std::string fill(CLangFile::kMaxLineChars - 4, 'b');
    EXPECT_EQ(CLangFile::fromBytes(utf16le("K\t\t" + fill + emoji)).lookup("K"), fill);
}

TEST(CLangFile, ReadingStopsAtTheSizeBoundAndDropsTheLineItCut)
{
    // "B\t\t2\r\n" starts three units before the bound, so only "B\t\t" lies inside it; read as a
    // line it would translate B to an empty text.
    const std::size_t filler = (CLangFile::kMaxFileBytes - 6 - 2) / 2 - 8;
    LangFolder dir;
    const CLangFile file(dir.write("THAI.csv", utf16le("A\t\t1\r\n" + std::string(filler, 'x') +
                                                        "\r\nB\t\t2\r\nC\t\t3\r\n")));
    EXPECT_EQ(file.lookup("A"), "1");
    EXPECT_EQ(file.lookup("B"), "B");
    EXPECT_EQ(file.lookup("C"), "C");
}
