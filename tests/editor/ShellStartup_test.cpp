// The shell's share of the main window: the start-up notes once per version,
// the last saved file at the next start, the Help menu, the window caption and
// the status bar panels.
#include "EditorTestSupport.h"
#include "editor/AboutUnit.h"
#include "editor/ProgramVersion.h"
#include "editor/WhatsNewUnit.h"
#include "platform/IniFile.h"
#include "support/ShellRun.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// Takes the URLs the desktop would open.
class TUrlCatcher : public QObject {
    Q_OBJECT
  public:
    std::vector<QUrl> Urls;
  public slots:
    void OpenUrl(const QUrl& url) { Urls.push_back(url); }
};

namespace {

std::string ResourcePath(const std::string& name) {
    return std::string(FRAMELOOM_TEST_DATA) + "/../../resources/" + name;
}

class ShellStartupTest : public TMainFormTest {
  protected:
    void CopyResource(const std::string& name) {
        fs::copy_file(ResourcePath(name), PathOf(name), fs::copy_options::overwrite_existing);
    }
    std::string StoredVersion() const {
        return TIniFile(Form->SettingsFileName()).ReadString("SYSTEM", "Version");
    }
    // Closes the program and starts it again on the same folder.
    void Restart() {
        Form.reset();
        Form = std::make_unique<TMainForm>(Dialogs, Dir());
        Form->show();
    }
    // Lets the start-up timer fire as it does in the running program.
    void WaitForStartupTimer() {
        QElapsedTimer clock;
        clock.start();
        while (Form->Timer2->isActive() && clock.elapsed() < 5000) QTest::qWait(10);
        EXPECT_FALSE(Form->Timer2->isActive());
    }
    // A notes dialog script: checks the dialog, optionally clicks the check box, then OK.
    void AnswerNotes(int clicks, bool ok = true) {
        Dialogs.OnForm("WhatsNewForm", [=](QDialog& dialog) {
            auto& form = static_cast<TWhatsNewForm&>(dialog);
            EXPECT_EQ(form.windowTitle(), "What's New?");
            EXPECT_TRUE(form.CheckBox1->isChecked());
            EXPECT_FALSE(form.CheckBox1->isHidden());
            EXPECT_EQ(form.CheckBox1->text(), "Show this on startup");
            for (int i = 0; i < clicks; ++i) QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
            if (ok)
                QTest::mouseClick(form.Button1, Qt::LeftButton);
            else
                form.reject();
        });
    }
};

TEST_F(ShellStartupTest, FirstRunOpensTheSampleAndShowsTheNotesFormatted) {
    CopyResource("Sample.gif");
    CopyResource("Tips.rtf");
    Dialogs.OnForm("WhatsNewForm", [](QDialog& dialog) {
        auto& form = static_cast<TWhatsNewForm&>(dialog);
        QTextDocument* notes = form.RichEdit1->document();
        EXPECT_TRUE(notes->toPlainText().startsWith("What's New in Frameloom"));
        const QTextCharFormat heading = notes->begin().begin().fragment().charFormat();
        EXPECT_GE(heading.fontWeight(), QFont::Bold);
        EXPECT_EQ(heading.fontPointSize(), 16.0);
        EXPECT_GT(notes->blockCount(), 5);
        form.Button1->click();
    });
    Form->show();
    EXPECT_EQ(Form->FileName, PathOf("Sample.gif"));
    ASSERT_TRUE(Form->Timer2->isActive());
    EXPECT_TRUE(Form->Timer2->isSingleShot());
    EXPECT_EQ(Form->Timer2->interval(), 100);
    EXPECT_TRUE(Dialogs.FormsShown.empty()) << "the notes wait for the timer";
    WaitForStartupTimer();
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"WhatsNewForm"});
    EXPECT_EQ(StoredVersion(), "");
}

TEST_F(ShellStartupTest, OkWithoutTouchingTheCheckBoxShowsTheNotesAgainAtTheNextStart) {
    CopyResource("Tips.rtf");
    AnswerNotes(0);
    Form->show();
    Form->Timer2Timer();
    AnswerNotes(0);
    Restart();
    WaitForStartupTimer();
    EXPECT_EQ(Dialogs.FormsShown, (std::vector<std::string>{"WhatsNewForm", "WhatsNewForm"}));
    EXPECT_EQ(StoredVersion(), "");
}

TEST_F(ShellStartupTest, AClickedCheckBoxStoresTheVersionAndTheNotesStayHidden) {
    CopyResource("Tips.rtf");
    AnswerNotes(2); // ticked again, still a change
    Form->show();
    Form->Timer2Timer();
    EXPECT_EQ(StoredVersion(), ProgramFileVersion());
    EXPECT_EQ(Form->FileVersion, ProgramFileVersion());
    Restart();
    WaitForStartupTimer();
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"WhatsNewForm"});
    // A new version shows them again.
    Form->FileVersion = "99.0.0";
    AnswerNotes(1);
    Form->Timer2Timer();
    EXPECT_EQ(Dialogs.FormsShown.size(), 2u);
    EXPECT_EQ(StoredVersion(), "99.0.0");
}

TEST_F(ShellStartupTest, ClosingWithoutOkStoresNothing) {
    CopyResource("Tips.rtf");
    AnswerNotes(1, false);
    Form->show();
    Form->Timer2Timer();
    EXPECT_EQ(Dialogs.FormsShown.size(), 1u);
    EXPECT_EQ(StoredVersion(), "");
}

TEST_F(ShellStartupTest, MissingOrUnreadableNotesShowNothing) {
    Form->show();
    Form->Timer2Timer();
    WriteFileBytes(PathOf("Tips.rtf"), {'n', 'o', 't', ' ', 'r', 't', 'f'});
    Form->Timer2Timer();
    fs::remove(PathOf("Tips.rtf"));
    fs::create_directory(PathOf("Tips.rtf"));
    Form->Timer2Timer();
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

TEST_F(ShellStartupTest, SavingUnderANewNameOpensThatFileAtTheNextStart) {
    CopyResource("Sample.gif");
    Form->show();
    ASSERT_EQ(Form->FileName, PathOf("Sample.gif"));
    Dialogs.SaveAnswers.push_back(PathOf("mine")); // a bare name gets .gif
    Form->SaveAs1Click();
    ASSERT_EQ(Form->FileName, PathOf("mine.gif"));
    Restart();
    EXPECT_EQ(Form->FileName, PathOf("mine.gif"));
    EXPECT_EQ(Form->windowTitle().toStdString(), "Frameloom - " + PathOf("mine.gif"));
}

TEST_F(ShellStartupTest, AnUnreadableSettingsFileIsReportedAndTheProgramRunsOn) {
    CopyResource("Sample.gif");
    fs::create_directory(PathOf("Frameloom.ini"));
    Dialogs.MessageAnswers.push_back(mrOk);
    Form->show();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Warning");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtWarning);
    EXPECT_NE(Dialogs.Messages[0].Text.find("Frameloom.ini"), std::string::npos);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->FileName, PathOf("Sample.gif"));
}

TEST_F(ShellStartupTest, TheCaptionIsTheProgramNameAndThePath) {
    Form->show();
    EXPECT_EQ(Form->windowTitle(), "Frameloom");
    ASSERT_NE(Form->windowHandle(), nullptr);
    EXPECT_EQ(Form->windowHandle()->title(), "Frameloom");
    EXPECT_TRUE(QGuiApplication::applicationDisplayName() == QGuiApplication::applicationName() ||
                QGuiApplication::applicationDisplayName().isEmpty());
    fs::copy_file(ResourcePath("Sample.gif"), PathOf("a b.gif"));
    ASSERT_TRUE(Form->LoadFile(PathOf("a b.gif")));
    EXPECT_EQ(Form->windowTitle().toStdString(), "Frameloom - " + PathOf("a b.gif"));
    EXPECT_EQ(Form->windowHandle()->title().toStdString(), "Frameloom - " + PathOf("a b.gif"));
}

// The title the window system shows: the real program under Xvfb, its windows
// listed by xwininfo.
TEST_F(ShellStartupTest, TheWindowSystemShowsTheCaptionUnchanged) {
    if (RunShell("command -v xvfb-run && command -v xwininfo", TShellErrors::Discarded).Status != 0)
        GTEST_SKIP() << "xvfb-run or xwininfo is not installed";
    fs::copy_file(ResourcePath("Sample.gif"), PathOf("shown.gif"));
    const std::string script = PathOf("run.sh");
    const std::string text = std::string(FRAMELOOM_PROGRAM) + " '" + PathOf("shown.gif") +
                             "' & pid=$!\n"
                             "for i in $(seq 1 100); do\n"
                             "  xwininfo -root -tree | grep -q 'Frameloom - ' && break; sleep 0.1\n"
                             "done\n"
                             "xwininfo -root -tree\nkill $pid\n";
    WriteFileBytes(script, TBytes(text.begin(), text.end()));
    const TShellRun run =
        RunShell("QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' sh '" + script + "'",
                 TShellErrors::Discarded);
    const std::string want = "\"Frameloom - " + PathOf("shown.gif") + "\"";
    EXPECT_NE(run.Output.find(want), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find(" Frameloom\""), std::string::npos) << run.Output;
}

TEST_F(ShellStartupTest, StatusBarPanelsFitTheirTexts) {
    TBytes gif = GifHeader(3000, 2500, {{0, 0, 0}, {255, 255, 255}});
    AppendZeroImage(gif, 2998, 2498);
    AppendTrailer(gif);
    WriteFileBytes(PathOf("big.gif"), gif);
    // A large font, as a user's desktop may have: the panels grow with their texts.
    QFont font = Form->StatusBar1->font();
    font.setPointSize(18);
    Form->StatusBar1->setFont(font);
    Form->show();
    ASSERT_TRUE(Form->LoadFile(PathOf("big.gif")));
    Form->resize(2000, 700); // room for all panels
    QCoreApplication::processEvents();
    Form->StatusBar1->layout()->activate();
    EXPECT_EQ(Form->StatusPanelText(0), "Logical Screen: 3000 by 2500");
    for (QLabel* panel : Form->StatusBar1->findChildren<QLabel*>()) {
        if (panel->text().isEmpty()) continue;
        const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) + 2 * panel->frameWidth();
        EXPECT_GE(panel->width(), needed) << panel->text().toStdString();
    }
}

// The Help menu, reached through its items.
QAction* MenuAction(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

TEST_F(ShellStartupTest, TheHelpMenuHoldsHelpWhatsNewAndAbout) {
    QStringList items;
    for (QAction* action : Form->Help1->actions())
        if (!action->isSeparator()) items << action->text();
    EXPECT_EQ(items, (QStringList{"Help", "What's New...", "About..."}));
    EXPECT_EQ(Form->menuBar()->actions().back()->menu(), Form->Help1) << "Help is the last menu";
}

TEST_F(ShellStartupTest, HelpOpensOurHelpPageWithTheDesktopsViewer) {
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "OpenUrl");
    fs::create_directory(PathOf("help"));
    fs::copy_file(ResourcePath("help/index.html"), PathOf("help/index.html"));
    MenuAction(Form->Help1, "Help")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.Urls.size(), 1u);
    EXPECT_EQ(catcher.Urls[0], QUrl::fromLocalFile(QString::fromStdString(PathOf("help/index.html"))));
    EXPECT_EQ(Dialogs.QuestionCount(), 0u);
}

TEST_F(ShellStartupTest, HelpWithoutItsPagesSaysSo) {
    Dialogs.MessageAnswers.push_back(mrOk);
    MenuAction(Form->Help1, "Help")->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Dialogs.Messages[0].Text.find("index.html"), std::string::npos);
}

TEST_F(ShellStartupTest, WhatsNewShowsTheCheckBoxOnlyWhileTheNotesAreNotDismissed) {
    CopyResource("Tips.rtf");
    std::vector<bool> boxShown;
    auto record = [&](QDialog& dialog) {
        auto& form = static_cast<TWhatsNewForm&>(dialog);
        boxShown.push_back(!form.CheckBox1->isHidden());
        form.Button1->click();
    };
    Dialogs.OnForm("WhatsNewForm", record);
    MenuAction(Form->Help1, "What's New...")->trigger();
    ASSERT_TRUE(TIniFile(Form->SettingsFileName()).WriteString("SYSTEM", "Version", Form->FileVersion));
    Dialogs.OnForm("WhatsNewForm", record);
    MenuAction(Form->Help1, "What's New...")->trigger();
    EXPECT_EQ(boxShown, (std::vector<bool>{true, false}));
}

TEST_F(ShellStartupTest, AboutNamesTheProductVersionAndLicence) {
    Dialogs.OnForm("AboutBox", [](QDialog& dialog) {
        auto& box = static_cast<TAboutBox&>(dialog);
        EXPECT_EQ(box.ProductName->text(), "Frameloom");
        EXPECT_EQ(box.Version->text().toStdString(), "Version " + ProgramFileVersion());
        EXPECT_TRUE(box.Licence->text().contains("GPL-2.0-or-later"));
        box.OKButton->click();
    });
    MenuAction(Form->Help1, "About...")->trigger();
    EXPECT_EQ(Dialogs.FormsShown, std::vector<std::string>{"AboutBox"});
    EXPECT_FALSE(ProgramFileVersion().empty());
}

} // namespace

#include "ShellStartup_test.moc"
