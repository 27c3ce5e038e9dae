#include <gtest/gtest.h>

#include <string>

#include "common/utf.h"
#include "filters/config_parser.h"
#include "filters/config_writer.h"
#include "filters/default_categories.h"

namespace kx {
namespace {

CategoryList Parse(const std::string& bytes) {
    CategoryList categories;
    EXPECT_TRUE(ParseFilterConfig(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                  &categories));
    return categories;
}

std::string Utf16Le(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST(FilterLineParsing, TrimsSplitsFoldsAndAddsTheDot) {
    EXPECT_EQ(Parse("Text \t= txt, .MD ,, log\r\n"),
              (CategoryList{{u"Text", {u".txt", u".md", u".log"}}}));
    EXPECT_EQ(Parse("Empty=\nDup=.a,.a\n"),
              (CategoryList{{u"Empty", {}}, {u"Dup", {u".a", u".a"}}}));
}

TEST(FilterLineParsing, SkipsBlankCommentEmptyNameAndLinesWithoutEquals) {
    EXPECT_TRUE(Parse("\n   \r\n\t# a=b\n=.txt\n  = .txt\nno equals here\n").empty());
}

TEST(FilterLineParsing, SplitsAtTheFirstEqualsAndKeepsInnerBlanksAndRepeats) {
    EXPECT_EQ(Parse("a=b=.c\nMy Files=.a b\nMy Files=.c"),
              (CategoryList{{u"a", {u".b=.c"}}, {u"My Files", {u".a b"}}, {u"My Files", {u".c"}}}));
}

// head followed by fill, units code units in all (ASCII, so bytes and units agree).
std::string Padded(const std::string& head, std::size_t units, char fill) {
    return head + std::string(units - head.size(), fill);
}

std::u16string Units(std::size_t count, char16_t fill) {
    return std::u16string(count, fill);
}

TEST(FilterLinePieces, ALineOfAtMost1023UnitsIsReadWholeWhateverItsLineEnd) {
    const std::string line = Padded("Long=.", 1023, 'a');
    const CategoryList whole{{u"Long", {u"." + Units(1023 - 6, u'a')}}};
    for (const char* end : {"", "\n", "\r\n"})
        EXPECT_EQ(Parse(line + end + "Next=.n"), (CategoryList{whole[0], {u"Next", {u".n"}}}))
            << "line end of " << std::string(end).size();
    // 1,022 units and CR LF fill one piece exactly.
    EXPECT_EQ(Parse(Padded("Long=.", 1022, 'a') + "\r\nNext=.n").size(), 2u);
}

TEST(FilterLinePieces, The1024thUnitStartsAPieceSkippedWithoutEquals) {
    for (const char* rest : {"b", "bc,.d"}) {
        const std::string line = Padded("Long=.", 1023, 'a') + rest;
        EXPECT_EQ(Parse(line + "\r\nNext=.n"),
                  (CategoryList{{u"Long", {u"." + Units(1023 - 6, u'a')}}, {u"Next", {u".n"}}}))
            << rest;
    }
}

TEST(FilterLinePieces, APieceAfterTheCutHoldingEqualsIsACategoryOfItsOwn) {
    const std::string line = Padded("Long=.", 1023, 'a') + " Cut = .X, y";
    EXPECT_EQ(Parse(line + "\n"),
              (CategoryList{{u"Long", {u"." + Units(1023 - 6, u'a')}}, {u"Cut", {u".x", u".y"}}}));
    // The cut falls inside the name: both halves stand alone, and only the second has "=".
    EXPECT_EQ(Parse(Padded("", 1023, 'n') + "ame=.z"), (CategoryList{{u"ame", {u".z"}}}));
}

TEST(FilterLinePieces, AVeryLongLineIsCutEvery1023Units) {
    std::string line = "Many=";
    for (int i = 0; i < 400; ++i)  // about 2,800 units: three pieces
        line += ".e" + std::to_string(i) + ",";
    FilterCategory firstPiece;
    ASSERT_TRUE(ParseFilterLine(Utf8ToUtf16(line.substr(0, 1023)), &firstPiece));
    EXPECT_EQ(Parse(line + "\nNext=.n"), (CategoryList{firstPiece, {u"Next", {u".n"}}}));
}

TEST(FilterLinePieces, ACutNeverSplitsASurrogatePair) {
    // U+1F600 would take units 1,023 and 1,024: the piece ends before it instead.
    const std::u16string text = u"A=." + Units(1019, u'a') + u"\U0001F600=.b";
    const CategoryList categories = Parse(Utf16ToUtf8(text));
    EXPECT_EQ(categories,
              (CategoryList{{u"A", {u"." + Units(1019, u'a')}}, {u"\U0001F600", {u".b"}}}));
    EXPECT_EQ(Parse("\xFF\xFE" + Utf16Le(text)), categories);
}

TEST(FilterFileEncoding, SkipsTheUtf8MarkAndReadsUnmarkedUtf8) {
    EXPECT_EQ(Parse("\xEF\xBB\xBF所有文件=\r\n"), (CategoryList{{u"所有文件", {}}}));
    EXPECT_EQ(Parse("图片=.png"), (CategoryList{{u"图片", {u".png"}}}));
}

TEST(FilterFileEncoding, ReadsUtf16LittleEndianAfterItsMark) {
    EXPECT_EQ(Parse("\xFF\xFE" + Utf16Le(u"图片=.PNG\r\nA=.b")),
              (CategoryList{{u"图片", {u".png"}}, {u"A", {u".b"}}}));
}

TEST(FilterFileEncoding, RefusesUtf16BigEndian) {
    const std::string bytes("\xFE\xFF\x00\x41\x00\x3D", 6);
    CategoryList categories{{u"kept", {}}};
    EXPECT_FALSE(ParseFilterConfig(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size(), &categories));
    EXPECT_EQ(categories.size(), 1u);
}

TEST(FilterFileEncoding, DamagedTextBecomesReplacementCharacters) {
    EXPECT_EQ(Parse("A\xFF=.b"), (CategoryList{{u"A\uFFFD", {u".b"}}}));
    // An unpaired surrogate and a lone final byte in UTF-16.
    EXPECT_EQ(Parse("\xFF\xFE" + Utf16Le(u"A\xD800=.b") + "x"),
              (CategoryList{{u"A\uFFFD", {u".b\uFFFD"}}}));
}

TEST(FilterFileWriting, EnglishDefaultsGiveTheSevenDocumentedLines) {
    EXPECT_EQ(FormatFilterConfig(DefaultCategories(false)),
              "\xEF\xBB\xBF"
              "All Files=\r\n"
              "Documents=.doc,.docx,.pdf,.txt,.xls,.xlsx,.ppt,.pptx,.md,.csv\r\n"
              "Images=.jpg,.jpeg,.png,.gif,.bmp,.webp,.ico,.svg,.tif\r\n"
              "Archives=.zip,.rar,.7z,.tar,.gz,.iso,.cab\r\n"
              "Applications=.exe,.msi,.bat,.cmd,.dll,.sys,.ps1\r\n"
              "Videos=.mp4,.mkv,.avi,.mov,.wmv,.flv,.rmvb\r\n"
              "Audio=.mp3,.wav,.flac,.aac,.ogg,.m4a\r\n");
}

TEST(FilterFileWriting, WhatIsWrittenReadsBackUnchanged) {
    const CategoryList chinese = DefaultCategories(true);
    EXPECT_EQ(Parse(FormatFilterConfig(chinese)), chinese);
    const CategoryList odd{{u"a b", {u".x y", u".", u".b=.c"}}, {u"Empty", {}}};
    EXPECT_EQ(Parse(FormatFilterConfig(odd)), odd);
}

}  // namespace
}  // namespace kx
