// The RTF reader on the subset our notes use: the text, its paragraphs and the
// format of every run.
#include "platform/RtfReader.h"

#include <QTextBlock>
#include <QTextFragment>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct TRun {
    QString Text;
    bool Bold;
    bool Italic;
    bool Underline;
    double Points;
};

// Every run of every paragraph, paragraphs joined by "|".
std::vector<TRun> Runs(const QTextDocument& doc) {
    std::vector<TRun> runs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block != doc.begin()) runs.push_back({QStringLiteral("|"), false, false, false, 0});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            runs.push_back({f.text(), c.fontWeight() >= QFont::Bold, c.fontItalic(), c.fontUnderline(),
                            c.fontPointSize()});
        }
    }
    return runs;
}

QString Paragraphs(const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) out << block.text();
    return out.join(QLatin1Char('|'));
}

TEST(RtfReader, ParagraphsAndTheDefaultTwelvePoints) {
    auto doc = ReadRtf("{\\rtf1\\ansi First line\\par Second\\par\n\r\nThird}");
    EXPECT_EQ(Paragraphs(*doc), "First line|Second|Third");
    const auto runs = Runs(*doc);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].Points, 12.0);
    EXPECT_FALSE(runs[0].Bold);
}

TEST(RtfReader, BoldItalicAndUnderlineFollowTheirGroups) {
    auto doc = ReadRtf("{\\rtf1 a{\\b b{\\i c}d}e\\b f\\b0 g\\ul h\\ul0 i}");
    EXPECT_EQ(doc->toPlainText(), "abcdefghi");
    const auto runs = Runs(*doc);
    const std::vector<std::tuple<QString, bool, bool, bool>> want = {
        {"a", false, false, false}, {"b", true, false, false},  {"c", true, true, false},
        {"d", true, false, false},  {"e", false, false, false}, {"f", true, false, false},
        {"g", false, false, false}, {"h", false, false, true},  {"i", false, false, false}};
    ASSERT_EQ(runs.size(), want.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].Text, std::get<0>(want[i])) << i;
        EXPECT_EQ(runs[i].Bold, std::get<1>(want[i])) << i;
        EXPECT_EQ(runs[i].Italic, std::get<2>(want[i])) << i;
        EXPECT_EQ(runs[i].Underline, std::get<3>(want[i])) << i;
    }
}

TEST(RtfReader, UnderlineEndsWithUlnone) {
    auto doc = ReadRtf("{\\rtf1 \\ul h\\ulnone i}");
    const auto runs = Runs(*doc);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].Underline);
    EXPECT_FALSE(runs[1].Underline);
    EXPECT_EQ(runs[1].Text, "i");
}

TEST(RtfReader, FontSizesAreHalfPointsAndPlainResets) {
    auto doc = ReadRtf("{\\rtf1\\fs20 ten{\\fs36 eighteen}ten\\b\\fs30 big\\plain twelve}");
    const auto runs = Runs(*doc);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].Points, 10.0);
    EXPECT_EQ(runs[1].Text, "eighteen");
    EXPECT_EQ(runs[1].Points, 18.0);
    EXPECT_EQ(runs[2].Points, 10.0);
    EXPECT_EQ(runs[3].Points, 15.0);
    EXPECT_TRUE(runs[3].Bold);
    EXPECT_EQ(runs[4].Text, "twelve");
    EXPECT_EQ(runs[4].Points, 12.0);
    EXPECT_FALSE(runs[4].Bold);
}

TEST(RtfReader, EscapesAndSymbols) {
    auto doc = ReadRtf("{\\rtf1 a\\\\b\\{c\\}d \\'e9\\'80\\'96 \\u8364?\\uc0\\u8230 x\\~y "
                       "\\bullet\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\tab z}");
    EXPECT_EQ(doc->toRawText(), QString::fromUtf8("a\\b{c}d é€– €…x\u00A0y •—–‘’“”\tz"));
}

TEST(RtfReader, TablesAndStarredDestinationsShowNothing) {
    auto doc = ReadRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}"
                       "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator Writer;}"
                       "{\\info{\\title Notes}}\\f0\\cf1 Shown{\\*\\unknown hidden} too}");
    EXPECT_EQ(doc->toPlainText(), "Shown too");
}

TEST(RtfReader, AlignmentOfParagraphs) {
    auto doc = ReadRtf("{\\rtf1\\qc Centre\\par\\pard Left\\par\\qr Right}");
    QTextBlock block = doc->begin();
    EXPECT_EQ(block.text(), "Centre");
    EXPECT_TRUE(block.blockFormat().alignment() & Qt::AlignHCenter);
    block = block.next();
    EXPECT_EQ(block.text(), "Left");
    EXPECT_TRUE(block.blockFormat().alignment() & Qt::AlignLeft);
    block = block.next();
    EXPECT_TRUE(block.blockFormat().alignment() & Qt::AlignRight);
}

TEST(RtfReader, RefusesTextThatIsNotRtfAndDeepNesting) {
    EXPECT_THROW(ReadRtf("Plain text"), ERtfError);
    EXPECT_THROW(ReadRtf(""), ERtfError);
    EXPECT_THROW(ReadRtf("{\\rtf1" + std::string(100000, '{')), ERtfError);
}

TEST(RtfReader, CutOffTextEndsQuietly) {
    for (const char* text :
         {"{\\rtf1 abc\\", "{\\rtf1 abc\\'4", "{\\rtf1 {\\b abc", "{\\rtf1 \\u", "{\\rtf1 x}}}}"}) {
        auto doc = ReadRtf(text);
        EXPECT_TRUE(doc->toPlainText().startsWith(text[7] == 'a' ? "abc" : "")) << text;
    }
}

TEST(RtfReader, OurNotesFileReads) {
    const std::string path = std::string(FRAMELOOM_TEST_DATA) + "/../../resources/Tips.rtf";
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    auto doc = ReadRtf(text);
    EXPECT_TRUE(doc->toPlainText().startsWith("What's New in Frameloom")) << doc->toPlainText().toStdString();
    EXPECT_FALSE(doc->toPlainText().contains('\\'));
    EXPECT_FALSE(doc->toPlainText().contains('{'));
    const auto runs = Runs(*doc);
    ASSERT_FALSE(runs.empty());
    EXPECT_TRUE(runs[0].Bold);
    EXPECT_GT(runs[0].Points, 12.0);
}

} // namespace
