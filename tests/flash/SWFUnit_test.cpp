// The "Save As Flash Movie (SWF)" dialog and the preview window, run through
// their buttons with scripted answers, and the main window's command.
#include "SWFTestSupport.h"
#include "editor/EditorTestSupport.h"
#include "flash/SWFExport.h"
#include "flash/SWFPlayer.h"
#include "flash/SWFPreviewPlayer.h"
#include "flash/SWFPreviewUnit.h"
#include "flash/SWFUnit.h"
#include "support/ShellRun.h"

#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A document of frames of the given delays on a w x h screen; each frame a
// different pattern, the second one transparent and offset.
std::unique_ptr<TGIFData> MakeDocument(int w, int h, const std::vector<int>& delays) {
    auto doc = std::make_unique<TGIFData>();
    doc->ScreenWidth = std::uint16_t(w);
    doc->ScreenHeight = std::uint16_t(h);
    doc->ScreenFlags |= 0x80; // a global table of 256 entries
    doc->SetGlobalTableSize(7);
    for (int i = 0; i < 256; ++i)
        doc->GlobalPalette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t((i * 37) & 255), 1};
    for (std::size_t n = 0; n < delays.size(); ++n) {
        const int fw = n == 1 ? std::max(1, w / 2) : w, fh = n == 1 ? std::max(1, h / 2) : h;
        TGIFImageData* f = doc->AddFrame(fw, fh);
        if (n == 1) {
            f->Left = std::uint16_t(w / 4);
            f->Top = std::uint16_t(h / 4);
            f->Control->SetTransparent(true);
            f->Control->TransparentIndex = 3;
        }
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
                f->Pixels[std::size_t(y) * fw + x] = std::uint8_t((x * 3 + y * 5 + int(n) * 11) % 7 + n * 16);
        f->Control->DelayTime = std::uint16_t(delays[n]);
    }
    return doc;
}

class SWFFormTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Folder.isValid()); }
    std::string PathOf(const std::string& name) const { return (fs::path(Dir()) / name).string(); }
    std::string Dir() const { return Folder.path().toStdString(); }

    // Writes doc as a GIF and reads it back: the document both the dialog and
    // frameloom-cli see.
    std::unique_ptr<TGIFData> ThroughFile(const TGIFData& doc, const std::string& name) {
        const std::string path = PathOf(name);
        EXPECT_TRUE(const_cast<TGIFData&>(doc).SaveToFile(path));
        auto loaded = std::make_unique<TGIFData>();
        EXPECT_TRUE(loaded->LoadFromFile(path));
        return loaded;
    }

    QTemporaryDir Folder;
    TScriptedDialogs Dialogs;
};

int ProposedRateShown(int delay) {
    auto doc = MakeDocument(4, 4, {delay});
    TScriptedDialogs dialogs;
    int shown = -1;
    dialogs.OnForm("SWFForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFForm&>(dialog);
        shown = form.SpinEdit1->value();
        form.Button3->click();
    });
    TSWFForm form(*doc, dialogs, {});
    EXPECT_FALSE(form.Execute());
    return shown;
}

TEST(SWFFormRate, ProposesHundredDivTheFirstDelayKeptInOneTo999) {
    EXPECT_EQ(ProposedRateShown(10), 10);
    EXPECT_EQ(ProposedRateShown(4), 25);
    EXPECT_EQ(ProposedRateShown(1), 100);
    EXPECT_EQ(ProposedRateShown(150), 1);
    EXPECT_EQ(ProposedRateShown(0), 10); // no proposal: the rate browsers use for undelayed frames
}

TEST(SWFFormRate, AnEmptyDocumentShowsNoDialog) {
    TGIFData empty;
    TScriptedDialogs dialogs;
    TSWFForm form(empty, dialogs, {});
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(dialogs.QuestionCount(), 0u);
}

TEST(SWFFormRate, TheSpinBoxHoldsOneTo999AndTheDialogItsCaptions) {
    TGIFData empty;
    TScriptedDialogs dialogs;
    TSWFForm form(empty, dialogs, {});
    EXPECT_EQ(form.windowTitle(), "Save As Flash Movie (SWF)");
    EXPECT_EQ(form.SpinEdit1->minimum(), 1);
    EXPECT_EQ(form.SpinEdit1->maximum(), 999);
    EXPECT_EQ(form.size(), QSize(437, 114));
    EXPECT_EQ(form.Button1->text(), "&Save...");
    EXPECT_TRUE(form.Button1->isDefault());
    EXPECT_EQ(form.Button2->text(), "&Preview...");
    EXPECT_EQ(form.Button3->text(), "&Cancel");
    EXPECT_EQ(form.Button4->text(), "Select Color...");
    EXPECT_EQ(form.BackgroundColor(), RGB(255, 255, 255));
    form.SpinEdit1->setValue(5000);
    EXPECT_EQ(form.FrameRate(), 999);
}

// Saves doc through the dialog at rate and background, and through
// frameloom-cli with the same settings; both files must be the same bytes.
void ExpectSameAsCli(SWFFormTest& test, const TGIFData& source, int rate, TColor background, const char* hex,
                     const std::string& gifPath, const std::string& dir) {
    TScriptedDialogs dialogs;
    dialogs.ColorAnswers.push_back(background);
    dialogs.SaveAnswers.push_back((fs::path(dir) / "movie").string()); // a bare name
    dialogs.OnForm("SWFForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFForm&>(dialog);
        form.Button4->click();
        form.SpinEdit1->setValue(rate);
        form.Button1->click();
    });
    TSWFForm form(source, dialogs, dir);
    EXPECT_TRUE(form.Execute());
    ASSERT_EQ(dialogs.SaveRequests.size(), 1u);
    EXPECT_EQ(dialogs.SaveRequests[0].Filter, "Flash Movie File (*.swf)|*.swf");
    const std::string saved = (fs::path(dir) / "movie.swf").string();
    ASSERT_TRUE(fs::exists(saved)) << "a bare name is saved with .swf";
    const std::string cliOut = (fs::path(dir) / "cli.swf").string();
    const TShellRun run = RunShell(std::string(FRAMELOOM_CLI) + " swf '" + gifPath + "' '" + cliOut +
                                   "' --rate " + std::to_string(rate) + " --background " + hex);
    ASSERT_EQ(run.Status, 0) << run.Output;
    const TBytes ours = ReadFileBytes(saved), cli = ReadFileBytes(cliOut);
    EXPECT_EQ(ours.size(), cli.size());
    EXPECT_TRUE(ours == cli) << "the dialog's movie differs from frameloom-cli's";
    (void)test;
}

TEST_F(SWFFormTest, OneFrameSavedEqualsTheCommandLineExport) {
    auto doc = ThroughFile(*MakeDocument(13, 7, {10}), "one.gif");
    ExpectSameAsCli(*this, *doc, 12, RGB(0x12, 0x34, 0x56), "123456", PathOf("one.gif"), Dir());
    const TBytes bytes = ReadFileBytes(PathOf("movie.swf"));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "CWS");
    TSWFMoviePlayer player(TSWFFile::FromFile(PathOf("movie.swf")));
    EXPECT_EQ(player.FrameCount(), 1);
    EXPECT_EQ(player.FrameRate(), 12.0);
}

TEST_F(SWFFormTest, ThreeFramesSavedEqualTheCommandLineExport) {
    auto doc = ThroughFile(*MakeDocument(20, 16, {4, 7, 9}), "three.gif");
    ExpectSameAsCli(*this, *doc, 25, RGB(255, 0, 0), "FF0000", PathOf("three.gif"), Dir());
    TSWFMoviePlayer player(TSWFFile::FromFile(PathOf("movie.swf")));
    ASSERT_EQ(player.FrameCount(), 3);
    // The transparent second frame shows the red background where it is transparent.
    const TBitmap frame = player.RenderFrame(1);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const std::uint8_t* p = frame.ScanLine(y) + 4 * x;
            if (RGB(p[2], p[1], p[0]) != Expected(*doc, *doc->Frames[1], x, y, RGB(255, 0, 0))) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(SWFFormTest, AFailedSaveIsReportedAndTheDialogStaysOpen) {
    auto doc = MakeDocument(4, 4, {10});
    Dialogs.SaveAnswers.push_back(PathOf("missing/folder/movie.swf"));
    Dialogs.MessageAnswers.push_back(mrOk);
    bool stillOpen = false;
    Dialogs.OnForm("SWFForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFForm&>(dialog);
        form.Button1->click();
        stillOpen = form.result() == 0;
        form.Button3->click();
    });
    TSWFForm form(*doc, Dialogs, Dir());
    EXPECT_FALSE(form.Execute());
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtError);
    EXPECT_NE(Dialogs.Messages[0].Text.find("movie.swf"), std::string::npos) << Dialogs.Messages[0].Text;
    EXPECT_FALSE(fs::exists(PathOf("missing")));
}

TEST_F(SWFFormTest, ACancelledSaveDialogWritesNothing) {
    auto doc = MakeDocument(4, 4, {10});
    Dialogs.SaveAnswers.push_back("");
    Dialogs.OnForm("SWFForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFForm&>(dialog);
        form.Button1->click();
        form.Button3->click();
    });
    TSWFForm form(*doc, Dialogs, Dir());
    EXPECT_FALSE(form.Execute());
    EXPECT_TRUE(fs::is_empty(Dir()));
}

TEST_F(SWFFormTest, TheColourChooserStartsAtTheSwatchAndCancelKeepsIt) {
    auto doc = MakeDocument(4, 4, {10});
    TSWFForm form(*doc, Dialogs, Dir());
    Dialogs.ColorAnswers.push_back(NoColor); // cancelled
    form.Button4->click();
    EXPECT_EQ(form.BackgroundColor(), RGB(255, 255, 255));
    Dialogs.ColorAnswers.push_back(RGB(1, 2, 3));
    QTest::mouseClick(form.ScrollBox1, Qt::LeftButton); // the swatch opens the chooser too
    EXPECT_EQ(form.BackgroundColor(), RGB(1, 2, 3));
    EXPECT_EQ(form.ScrollBox1->palette().color(QPalette::Window), QColor(1, 2, 3));
}

TEST_F(SWFFormTest, PreviewTwiceOverwritesTheSameTemporaryFile) {
    auto doc = MakeDocument(8, 6, {10, 10});
    std::vector<QSize> sizes;
    std::vector<double> rates;
    const std::string temporary = PathOf("TmpSWF.swf");
    for (int i = 0; i < 2; ++i)
        Dialogs.OnForm("SWFPreviewForm", [&](QDialog& dialog) {
            sizes.push_back(dialog.size());
            rates.push_back(TSWFMoviePlayer(TSWFFile::FromFile(temporary)).FrameRate());
        });
    Dialogs.OnForm("SWFForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFForm&>(dialog);
        form.SpinEdit1->setValue(5);
        form.Button2->click();
        form.SpinEdit1->setValue(20);
        form.Button2->click();
        EXPECT_EQ(form.PreviewFileName(), temporary);
        form.Button3->click();
    });
    TSWFForm form(*doc, Dialogs, Dir());
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(Dialogs.FormsShown, (std::vector<std::string>{"SWFForm", "SWFPreviewForm", "SWFPreviewForm"}));
    EXPECT_EQ(rates, (std::vector<double>{5.0, 20.0}));
    EXPECT_EQ(sizes, (std::vector<QSize>{QSize(8, 6), QSize(8, 6)}));
    // The temporary movie stays, and is the only file made.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir())) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"TmpSWF.swf"});
}

TEST(SWFTemporaryMovie, GoesToTheCacheFolderWhenTheProgramFolderIsNotWritable) {
    QTemporaryDir folder;
    const std::string dir = folder.path().toStdString();
    EXPECT_EQ(TemporaryMoviePath(dir), (fs::path(dir) / "TmpSWF.swf").string());
    const std::string elsewhere = TemporaryMoviePath("/proc");
    EXPECT_NE(elsewhere.rfind("/proc", 0), 0u) << elsewhere;
    EXPECT_EQ(fs::path(elsewhere).filename(), "TmpSWF.swf");
}

// The preview window on a movie written from doc.
class SWFPreviewTest : public SWFFormTest {
  protected:
    std::string WriteMovie(const TGIFData& doc, int rate) {
        const std::string path = PathOf("preview.swf");
        ExportSWF(doc, RGB(0, 0, 255), rate, path);
        return path;
    }
};

TEST_F(SWFPreviewTest, TheClientAreaIsTheMoviesPixelSizeOneByOneIncluded) {
    for (QSize size : {QSize(1, 1), QSize(37, 5), QSize(300, 200)}) {
        auto doc = MakeDocument(size.width(), size.height(), {10});
        const std::string path = WriteMovie(*doc, 10);
        TSWFPreviewForm form;
        form.LoadMovie(path, size.width(), size.height());
        form.show();
        EXPECT_EQ(form.size(), size);
        EXPECT_EQ(form.Player->geometry(), QRect(QPoint(0, 0), size));
        EXPECT_EQ(form.windowTitle(), "Flash Movie Preview");
        EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool));
        EXPECT_EQ(form.Player->Picture().size(), size);
        form.close();
    }
}

TEST_F(SWFPreviewTest, ThePlayerAdvancesOnItsTimerAtTheMoviesRateAndLoops) {
    auto doc = MakeDocument(12, 10, {4, 4, 4});
    const std::string path = WriteMovie(*doc, 25);
    Dialogs.OnForm("SWFPreviewForm", [&](QDialog& dialog) {
        auto& form = static_cast<TSWFPreviewForm&>(dialog);
        TSWFPlayer& player = *form.Player;
        EXPECT_TRUE(player.Playing());
        EXPECT_EQ(player.Timer1->interval(), 40);
        EXPECT_EQ(player.FrameCount(), 3);
        std::vector<int> shown{player.CurrentFrame()};
        for (int i = 0; i < 4; ++i) {
            QMetaObject::invokeMethod(player.Timer1, "timeout");
            shown.push_back(player.CurrentFrame());
            // What is shown is that frame over the blue background.
            const QImage& picture = player.Picture();
            const TGIFImageData& frame = *doc->Frames[std::size_t(shown.back())];
            for (QPoint at : {QPoint(0, 0), QPoint(5, 4), QPoint(11, 9)}) {
                const TColor want = Expected(*doc, frame, at.x(), at.y(), RGB(0, 0, 255));
                EXPECT_EQ(picture.pixel(at), qRgb(GetRValue(want), GetGValue(want), GetBValue(want)));
            }
        }
        EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1}));
    });
    ShowPreview(path, 12, 10, Dialogs);
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"SWFPreviewForm"});
}

TEST_F(SWFPreviewTest, AnyKeyOrAClickClosesTheWindow) {
    auto doc = MakeDocument(6, 6, {10});
    const std::string path = WriteMovie(*doc, 10);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Left, Qt::Key_A, Qt::Key_Tab, Qt::Key_Return}) {
        TSWFPreviewForm form;
        form.LoadMovie(path, 6, 6);
        form.show();
        ASSERT_TRUE(form.isVisible());
        QTest::keyClick(form.Player, key); // the player holds the focus
        EXPECT_FALSE(form.isVisible()) << "key " << key;
    }
    for (bool onPlayer : {true, false}) {
        TSWFPreviewForm form;
        form.LoadMovie(path, 6, 6);
        form.show();
        if (onPlayer) {
            QTest::mouseClick(form.Player, Qt::LeftButton);
        } else {
            form.Player->hide(); // the window's own surface
            QTest::mouseClick(&form, Qt::LeftButton);
        }
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(SWFPreviewTest, AMovieThatCannotBePlayedSaysWhy) {
    const std::string path = PathOf("broken.swf");
    WriteFileBytes(path, {'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3});
    Dialogs.MessageAnswers.push_back(mrOk);
    ShowPreview(path, 10, 10, Dialogs);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].Text.rfind("The movie cannot be played: ", 0), 0u)
        << Dialogs.Messages[0].Text;
    EXPECT_GT(Dialogs.Messages[0].Text.size(), std::string("The movie cannot be played: ").size());
    EXPECT_TRUE(Dialogs.FormsShown.empty());

    Dialogs.MessageAnswers.push_back(mrOk);
    ShowPreview(PathOf("absent.swf"), 10, 10, Dialogs);
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_NE(Dialogs.Messages[1].Text.find("absent.swf"), std::string::npos) << Dialogs.Messages[1].Text;
}

// The command, reached through the File menu.
class SWFCommandTest : public TMainFormTest {};

QAction* MenuAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

TEST_F(SWFCommandTest, TheFileMenuItemOpensTheDialogOnTheOpenDocument) {
    ASSERT_TRUE(Form->LoadFile(SampleGifPath()));
    QAction* item = MenuAction(Form->File1, "Save As Flash Movie (SWF)...");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    Dialogs.SaveAnswers.push_back(PathOf("sample.swf"));
    Dialogs.OnForm("SWFForm", [](QDialog& dialog) { static_cast<TSWFForm&>(dialog).Button1->click(); });
    item->trigger();
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"SWFForm"});
    TSWFMoviePlayer player(TSWFFile::FromFile(PathOf("sample.swf")));
    EXPECT_EQ(player.FrameCount(), int(Form->Document().Frames.size()));
    EXPECT_EQ(player.StageWidth(), Form->Document().ScreenWidth);
    EXPECT_FALSE(Form->Modified);
}

TEST_F(SWFCommandTest, DoesNothingForAnEmptyDocument) {
    QAction* item = MenuAction(Form->File1, "Save As Flash Movie (SWF)...");
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

} // namespace
