// frameloom-cli import, run as a program; its output checked with ImageMagick.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

#include "support/ShellRun.h"
#include <string>
#include <vector>

namespace {

const std::string Data = FRAMELOOM_TEST_DATA;
const std::string Cli = FRAMELOOM_CLI;

void Put16(std::vector<char>& v, int x) {
    v.push_back(char(x & 0xFF));
    v.push_back(char((x >> 8) & 0xFF));
}
void Put32(std::vector<char>& v, long long x) {
    Put16(v, int(x & 0xFFFF));
    Put16(v, int((x >> 16) & 0xFFFF));
}

// A placeable metafile, 100 x 50 at 96 units per inch, red rectangle on the left half.
std::vector<char> Wmf() {
    std::vector<char> v, records;
    Put32(v, 0x9AC6CDD7);
    for (int x : {0, 0, 0, 100, 50, 96}) Put16(v, x);
    Put32(v, 0);
    int checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= (v[i] & 0xFF) | (v[i + 1] & 0xFF) << 8;
    Put16(v, checksum);
    auto record = [&](int function, std::vector<int> params) {
        Put32(records, 3 + (long long)params.size());
        Put16(records, function);
        for (int p : params) Put16(records, p);
    };
    record(0x020B, {0, 0});
    record(0x020C, {50, 100});
    record(0x02FC, {0, 0xFF, 0, 0});
    record(0x012D, {0});
    record(0x041B, {50, 50, 0, 0});
    record(0x0000, {});
    for (int x : {1, 9, 0x0300}) Put16(v, x);
    Put32(v, 9 + (long long)records.size() / 2);
    Put16(v, 1);
    Put32(v, 7);
    Put16(v, 0);
    v.insert(v.end(), records.begin(), records.end());
    return v;
}

// An enhanced metafile of 100 x 50 pixels, red rectangle on the left half.
std::vector<char> Emf() {
    std::vector<char> body, v;
    auto rec = [&](int type, std::vector<long long> values) {
        Put32(body, type);
        Put32(body, 8 + 4 * (long long)values.size());
        for (auto x : values) Put32(body, x);
    };
    rec(39, {1, 0, 0xFF, 0});
    rec(37, {1});
    rec(43, {0, 0, 50, 50});
    rec(14, {0, 16, 20});
    for (long long x : {1LL, 88LL, 0LL, 0LL, 99LL, 49LL, 0LL, 0LL, 2620LL, 1297LL, 0x464D4520LL, 0x10000LL})
        Put32(v, x);
    Put32(v, 88 + (long long)body.size());
    Put32(v, 5);
    Put16(v, 2);
    Put16(v, 0);
    for (long long x : {0LL, 0LL, 0LL, 1024LL, 768LL, 320LL, 240LL}) Put32(v, x);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}

class ImportCommand : public ::testing::Test {
  protected:
    QTemporaryDir Dir;
    std::string Path(const std::string& name) {
        return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }
    std::string Write(const std::string& name, const std::vector<char>& bytes) {
        std::ofstream(Path(name), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return Path(name);
    }
    std::string Quote(const std::string& s) { return "'" + s + "'"; }
};

TEST_F(ImportCommand, EveryPictureFormatBecomesOneAnimationImageMagickReads) {
    const std::string out = Path("all.gif");
    const TShellRun run =
        RunShell(Quote(Cli) + " import " + Quote(out) + " " + Quote(Data + "/picture.jpg") + " " +
                 Quote(Data + "/picture_rgba.png") + " " + Quote(Data + "/picture24.bmp") + " " +
                 Quote(Data + "/picture.ico") + " " + Quote(Write("a.wmf", Wmf())) + " " +
                 Quote(Write("a.emf", Emf())) + " " + Quote(Data + "/anim2.gif"));
    EXPECT_EQ(run.Status, 0) << run.Output;
    // Frames, their sizes and the logical screen fitted to the largest.
    const TShellRun frames = RunShell("identify -format '%w,%h,%W,%H;' " + Quote(out));
    ASSERT_EQ(frames.Status, 0) << frames.Output;
    EXPECT_EQ(frames.Output,
              "16,12,100,50;16,12,100,50;16,12,100,50;32,32,100,50;100,50,100,50;100,50,100,50;"
              "12,10,100,50;12,10,100,50;");
    // The metafiles' red left half becomes its bin middle; a GIF frame keeps its own palette.
    EXPECT_EQ(RunShell("convert " + Quote(out + "[4]") + " -format '%[pixel:p{20,25}]' info:").Output,
              "srgb(247,7,7)");
    EXPECT_EQ(RunShell("convert " + Quote(out + "[5]") + " -format '%[pixel:p{20,25}]' info:").Output,
              "srgb(247,7,7)");
    EXPECT_EQ(RunShell("convert " + Quote(out + "[6]") + " -format '%[pixel:p{3,3}]' info:").Output,
              "srgb(0,255,0)");
}

TEST_F(ImportCommand, APictureThatCannotBeLoadedStopsButKeepsEarlierFrames) {
    const std::string bad = Write("broken.jpg", std::vector<char>(64, 'x'));
    const std::string out = Path("part.gif");
    const TShellRun run =
        RunShell(Quote(Cli) + " import " + Quote(out) + " " + Quote(Data + "/picture24.bmp") + " " +
                 Quote(bad) + " " + Quote(Data + "/picture.jpg"));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Can not load file \"" + bad + "\""), std::string::npos) << run.Output;
    const TShellRun frames = RunShell("identify -format '%w,%h;' " + Quote(out));
    EXPECT_EQ(frames.Output, "16,12;");
}

TEST_F(ImportCommand, NothingImportedWritesNothing) {
    const std::string out = Path("none.gif");
    const TShellRun run =
        RunShell(Quote(Cli) + " import " + Quote(out) + " " + Quote(Write("bad.png", {'n', 'o'})));
    EXPECT_EQ(run.Status, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
}

TEST_F(ImportCommand, UsageErrorsAndHelp) {
    EXPECT_EQ(RunShell(Quote(Cli) + " import " + Quote(Path("x.gif"))).Status, 2);
    EXPECT_EQ(RunShell(Quote(Cli) + " import --bogus a.gif b.png").Status, 2);
    const TShellRun help = RunShell(Quote(Cli) + " import --help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Output.find("Usage: frameloom-cli import OUT.gif PICTURE..."), std::string::npos);
}

} // namespace
