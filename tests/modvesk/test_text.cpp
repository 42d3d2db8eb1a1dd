#include "model/bilan.h"
#include "support/test_files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

using namespace modvesk;

TEST(Text, CaseCoversEveryLetterOfTheCodePage) {
    EXPECT_EQ(Upper(ansi("éèçàœÿšžâñø")), ansi("ÉÈÇÀŒŸŠŽÂÑØ"));
    EXPECT_EQ(Lower(ansi("ÉÈÇÀŒŸŠŽÂÑØ")), ansi("éèçàœÿšžâñø"));
    // No other case: sharp s, micro sign, division and multiplication signs.
    EXPECT_EQ(Upper(ansi("ßµ÷")), ansi("ßµ÷"));
    EXPECT_EQ(Lower(ansi("×")), ansi("×"));
    EXPECT_EQ(Upper("abc-XYZ 1;"), "ABC-XYZ 1;");
    // Into a text kept from one call to the next, which may hold the text itself.
    std::string kept = "longer than the texts cased into it";
    UpperInto(kept, "abc");
    EXPECT_EQ(kept, "ABC");
    UpperInto(kept, std::string_view(kept).substr(1));
    EXPECT_EQ(kept, "BC");
    LowerInto(kept, kept);
    EXPECT_EQ(kept, "bc");
}

// The text is searched for a byte above 0x7F eight bytes at a time: one at any
// place, in a whole word or in the bytes after the last one, is found.
TEST(Text, Utf8TextIsToldWhereverItsFirstHighByteLies) {
    for (size_t at = 0; at <= 18; ++at) {
        std::string text(20, 'a');
        EXPECT_FALSE(IsUtf8Text(text));
        text.replace(at, 2, "\xC3\xA9"); // é in UTF-8
        EXPECT_TRUE(IsUtf8Text(text)) << at;
        text.replace(at, 2, "\xE9z"); // é in Windows-1252
        EXPECT_FALSE(IsUtf8Text(text)) << at;
    }
}

// UTF-8 is told as ICU tells it: every byte above 0x7F followed by bytes at the
// edges of the continuation ranges, whole and cut short.
TEST(Text, Utf8IsToldAsIcuTellsIt) {
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90,
                                   0x9F, 0xA0, 0xBF, 0xC0, 0xF4, 0xFF};
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead)
        for (const auto b1 : edges)
            for (const auto b2 : edges)
                for (const auto b3 : edges)
                    for (size_t n = 1; n <= 4; ++n) {
                        const char bytes[] = {'a', static_cast<char>(lead), static_cast<char>(b1),
                                              static_cast<char>(b2), static_cast<char>(b3)};
                        const std::string text(bytes, n + 1);
                        UErrorCode status = U_ZERO_ERROR;
                        int32_t length = 0;
                        u_strFromUTF8(nullptr, 0, &length, text.data(),
                                      static_cast<int32_t>(text.size()), &status);
                        const bool icu = status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
                        ASSERT_EQ(IsUtf8Text(text), icu)
                            << lead << " " << +b1 << " " << +b2 << " " << +b3 << " (" << n << ")";
                    }
}

// UTF-16 is decoded as ICU's converter decodes it: units at the edges of the
// surrogate ranges, paired or alone, in both byte orders, with or without an odd
// last byte. What ICU gives is spelt as the program spells it: an ASCII letter
// as itself, U+FFFD (a broken sequence) as "?", any other character as its
// UTF-8 form converted.
TEST(Text, Utf16IsDecodedAsIcuDecodesIt) {
    const char16_t units[] = {u'a', 0xD800, 0xDBFF, 0xDC00, 0xDFFF};
    testsupport::TempDir dir;
    const auto file = dir.path() / "t.csv";
    for (const bool little : {true, false})
        for (int count = 1; count <= 3; ++count)
            for (int pick = 0; pick < 125; ++pick)
                for (const bool odd : {false, true}) {
                    std::u16string text;
                    for (int k = 0, p = pick; k < count; ++k, p /= 5)
                        text += units[p % 5];
                    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
                    for (const char16_t u : text) {
                        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u);
                        bytes += little ? std::string{lo, hi} : std::string{hi, lo};
                    }
                    if (odd) bytes += 'b';
                    const icu::UnicodeString icu(bytes.data() + 2,
                                                 static_cast<int32_t>(bytes.size() - 2),
                                                 little ? "UTF-16LE" : "UTF-16BE");
                    std::string expected;
                    for (int32_t i = 0; i < icu.length(); i = icu.moveIndex32(i, 1)) {
                        const UChar32 c = icu.char32At(i);
                        std::string utf8;
                        icu::UnicodeString(c).toUTF8String(utf8);
                        expected += c < 0x80 ? utf8 : c == 0xFFFD ? "?" : Utf8ToAnsi(utf8);
                    }
                    testsupport::put(file, bytes);
                    SourceText read;
                    ASSERT_TRUE(ReadSourceText(file, read));
                    EXPECT_EQ(read.text, expected)
                        << little << " " << count << " " << pick << " " << odd;
                }
}

// A text's hash reads its bytes alone, an empty view of no address included.
TEST(Text, TextHashReadsOnlyTheTextsBytes) {
    const TextHash hash;
    EXPECT_EQ(hash(std::string_view()), hash(std::string()));
    for (size_t n = 0; n <= 17; ++n) {
        const std::string longer = std::string(n, 'x') + "yz";
        EXPECT_EQ(hash(std::string(n, 'x')), hash(std::string_view(longer).substr(0, n))) << n;
    }
}

TEST(Text, TrimOnlyBlanks) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("\t a "), "\t a ");
    EXPECT_EQ(RTrim(" a \r"), " a \r");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Text, Pieces) {
    EXPECT_EQ(Left("abcdef", 3), "abc");
    EXPECT_EQ(Left("ab", 5), "ab");
    EXPECT_EQ(Left("ab", 0), "");
    EXPECT_EQ(Right("abcdef", 2), "ef");
    EXPECT_EQ(Right("ab", 7), "ab");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5), "ef");
    EXPECT_EQ(Mid("abc", 9), "");
    EXPECT_EQ(InStr("a;b;c", ";"), 2);
    EXPECT_EQ(InStr("a;b;c", ";", 3), 4);
    EXPECT_EQ(InStr("abc", ";"), 0);
}

TEST(Text, ReplaceCharsAndReplaceAll) {
    std::string s = "LE GOFF-DU_BOIS";
    ReplaceChars(s, " _-", "");
    EXPECT_EQ(s, "LEGOFFDUBOIS");
    std::string t = "a'b'c";
    ReplaceChars(t, "'", " ");
    EXPECT_EQ(t, "a b c");
    std::string u = "x--y";
    ReplaceChars(u, "-", "ab");
    EXPECT_EQ(u, "xababy");
    EXPECT_EQ(ReplaceAll("a==b==", "==", "="), "a=b=");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(Text, FirstFieldAndRestAfterTrimTheCallersText) {
    std::string s = "  a ; b";
    EXPECT_EQ(FirstField(s, ";"), "a");
    EXPECT_EQ(s, "a ; b");
    std::string noSep = "  abc  ";
    EXPECT_EQ(FirstField(noSep, ";"), "abc  "); // trailing blanks kept
    EXPECT_EQ(noSep, "abc  ");

    std::string r = "a;b";
    EXPECT_EQ(RestAfter(r, ";"), "b");
    std::string r2 = "  abc";
    EXPECT_EQ(RestAfter(r2, ";"), "");
    EXPECT_EQ(r2, "abc");
    std::string empty;
    EXPECT_EQ(RestAfter(empty, ";"), "");
    std::string r3 = "  a ; b ";
    EXPECT_EQ(RestAfter(r3, ";"), " b ");
}

TEST(Text, NthFieldLeavesTheTextAsItIs) {
    const std::string line = " DUPONT ; Jean ;3A; 01/02/2010";
    EXPECT_EQ(NthField(1, line, ";"), "DUPONT");
    EXPECT_EQ(NthField(2, line, ";"), "Jean");
    EXPECT_EQ(NthField(3, line, ";"), "3A");
    EXPECT_EQ(NthField(4, line, ";"), "01/02/2010");
    EXPECT_EQ(NthField(5, line, ";"), "");
    EXPECT_EQ(NthField(2, "a;;c", ";"), "");
    EXPECT_EQ(line, " DUPONT ; Jean ;3A; 01/02/2010");
    // Field n is what RestAfter n - 1 times, then FirstField, leave of a copy; the
    // first word is field 1 of the blank-separated text.
    for (const std::string text : {"", " ", ";", " ; ;", "a", " a b ;  c d ;", ";;x; y ", "a;b"})
        for (const char* sep : {";", " "})
            for (long n = 1; n <= 5; ++n) {
                std::string copy = text;
                for (long i = 1; i < n; ++i)
                    copy = RestAfter(copy, sep);
                const std::string field = FirstField(copy, sep);
                EXPECT_EQ(NthField(n, text, sep), field) << '"' << text << "\" " << sep << " " << n;
                std::string_view fields[5]; // all of them cut in one pass
                NthFields(text, sep[0], fields);
                EXPECT_EQ(fields[n - 1], field) << '"' << text << "\" " << sep << " " << n;
                std::string_view rest;
                if (n == 1 && sep[0] == ' ') {
                    EXPECT_EQ(FirstWord(text, rest), field) << text;
                }
            }
}

TEST(Text, FirstBlankedWordIsTheFirstWordOnceBlanked) {
    for (const std::string text : {"", " ", "15/01/2010", " 15/01/2010 x", "\t15/01,2010|",
                                   "|,\x7f 1/2/3\r\n", "a\x01b c", "12", "1 2"}) {
        const std::string blanked = BlankSeparators(text);
        std::string_view rest;
        EXPECT_EQ(FirstBlankedWord(text), FirstWord(blanked, rest)) << text;
    }
}

TEST(Text, StartsWithDigit) {
    EXPECT_TRUE(StartsWithDigit("3a"));
    EXPECT_FALSE(StartsWithDigit(" 3a")); // the first character is not trimmed
    EXPECT_FALSE(StartsWithDigit("   "));
    EXPECT_FALSE(StartsWithDigit(""));
    EXPECT_FALSE(StartsWithDigit("ulis"));
}

TEST(Text, SumOfNumbersTakesLeadingNumbers) {
    EXPECT_EQ(SumOfNumbers(" 1 10 8  20 "), 39);
    EXPECT_EQ(SumOfNumbers("12ab x 3"), 15);
    EXPECT_EQ(SumOfNumbers(""), 0);
    EXPECT_EQ(SumOfNumbers("1.6 1"), 3);
    EXPECT_DOUBLE_EQ(LeadingNumber("12ab"), 12);
    EXPECT_DOUBLE_EQ(LeadingNumber("ab"), 0);
    EXPECT_EQ(Str(-42), "-42");
    EXPECT_EQ(Str(7), "7");
}

TEST(Text, OemToAnsiCodePage850) {
    // é è ç à ê É Ç ô in code page 850.
    const std::string oem = "\x82\x8A\x87\x85\x88\x90\x80\x93";
    EXPECT_EQ(OemToAnsi(oem), ansi("éèçàêÉÇô"));
    // ƒ exists in 1252 (0x83); box drawing and dotless i do not.
    EXPECT_EQ(OemToAnsi("\x9F\xB3\xC4\xD5"), "\x83???");
    EXPECT_EQ(OemToAnsi("ABC xyz;1"), "ABC xyz;1");
    // Same length, whatever the bytes.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(OemToAnsi(all).size(), 256u);
    EXPECT_EQ(OemToAnsi("\xE1\xE6\xFF"), ansi("ßµ\u00A0"));
}

// Blanks, high bytes and line ends are looked for several bytes at a time: the
// answers stay those of a byte-by-byte reading wherever the run or the byte falls.
TEST(Text, BlockScansGiveTheBytewiseAnswers) {
    for (size_t before : {0, 1, 7, 8, 9, 63, 64, 65, 130})
        for (size_t after : {0, 1, 7, 8, 9, 63, 64, 65, 200}) {
            const std::string text = std::string(before, ' ') + "a b" + std::string(after, ' ');
            EXPECT_EQ(Trim(text), "a b") << before << " " << after;
            EXPECT_EQ(RTrim(text), std::string(before, ' ') + "a b");
            EXPECT_EQ(Trim(std::string(before + after, ' ')), "");
        }
    for (size_t size : {20, 40, 70})
        for (size_t at = 0; at < size; ++at) {
            std::string oem(size, 'x'), expected(size, 'x');
            oem[at] = '\x82', expected[at] = ansi("é")[0];
            EXPECT_EQ(OemToAnsi(oem), expected) << size << " " << at;
        }
    const std::vector<std::string> lines = {"",  std::string(255, 'a'), std::string(256, 'b'),
                                            "c", std::string(600, 'd'), ""};
    for (const char* end : {"\r\n", "\r", "\n"}) {
        std::string text;
        for (const auto& l : lines)
            text += l + end;
        std::vector<std::string> read;
        forEachLine(text, [&](const std::string& l) { read.push_back(l); });
        EXPECT_EQ(read, lines) << (end[0] == '\n' ? "LF" : end[1] ? "CR LF" : "CR");
    }
}

// The sixteen-byte scans answer as a byte-by-byte look would: texts of 0 to 40
// bytes with the wanted bytes at any one or two places, looked at from every
// place (the last bytes of a long text are read with the bytes before them).
TEST(Text, ByteScansFindWhatABytewiseLookFinds) {
    for (size_t size = 0; size <= 40; ++size)
        for (size_t first = 0; first <= size; ++first)
            for (const char* pair : {";;", "\r\n", "\n;", ";\r"}) {
                std::string text(size, 'x');
                if (first < size) text[first] = pair[0];
                if (first + 3 < size) text[first + 3] = pair[1];
                size_t semicolons = 0;
                for (size_t from = 0; from <= size; ++from) {
                    const std::string_view rest = std::string_view(text).substr(from);
                    const size_t semicolon = rest.find(';'), end = rest.find_first_of("\r\n");
                    const auto at = [from](size_t i) {
                        return i == std::string_view::npos ? i : from + i;
                    };
                    EXPECT_EQ(FindByte(text, ';', from), at(semicolon)) << size << " " << first;
                    EXPECT_EQ(FindLineEnd(text, from), at(end)) << size << " " << first;
                    semicolons += from < size && text[from] == ';';
                }
                EXPECT_EQ(CountByte(text, ';'), semicolons) << size << " " << first;
            }
}

// The Bilan counts the account lines of a file (neither empty nor "#...") as the
// lines are cut everywhere else: every text of up to seven bytes of a letter,
// "#", CR and LF, alone and after six or twelve letters (across eight and sixteen
// bytes), whole and read in two blocks cut anywhere.
TEST(Text, AccountLinesAreCountedAsLinesAreCut) {
    const std::string alphabet = "a#\r\n";
    std::vector<std::string> texts = {""};
    for (size_t from = 0; texts[from].size() < 7; ++from)
        for (const char c : alphabet)
            texts.push_back(texts[from] + c);
    for (size_t i = 0, n = texts.size(); i < n; ++i)
        for (const char* letters : {"aaaaaa", "aaaaaaaaaaaa"})
            texts.push_back(letters + texts[i]);
    for (const std::string& text : texts) {
        long lines = 0;
        std::string_view line;
        for (size_t pos = 0; NextLineView(text, pos, line);)
            lines += IsAccountLine(line);
        EXPECT_EQ(countAccounts(text), lines) << testing::PrintToString(text);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            AccountLines blocks;
            blocks.add(std::string_view(text).substr(0, cut));
            blocks.add(std::string_view(text).substr(cut));
            EXPECT_EQ(blocks.count(), lines) << testing::PrintToString(text) << " " << cut;
        }
    }
    EXPECT_EQ(countAccounts(std::string_view()), 0);
}

TEST(Text, AnsiAndUtf8RoundTrip) {
    EXPECT_EQ(ansi("é"), "\xE9");
    EXPECT_EQ(ansi("€œŸ"), "\x80\x9C\x9F");
    EXPECT_EQ(ansi("日"), "?");
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(ansi(utf8(all)), all);
    EXPECT_EQ(utf8("\xC9lodie"), "Élodie");
}
