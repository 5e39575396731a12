// The settings file layer and the dialog seam's shared parts.
#include "platform/Dialogs.h"
#include "platform/DialogsQt.h"
#include "platform/IniFile.h"

#include "EditorTestSupport.h"
#include "support/FileSizeLimit.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    const TBytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class IniFileTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name = "Frameloom.ini") const {
        return (fs::path(Folder.path().toStdString()) / name).string();
    }
    QTemporaryDir Folder;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsAsTheDefault) {
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("START", "DefaultFile"), "");
    EXPECT_EQ(ini.ReadString("START", "DefaultFile", "x"), "x");
    WriteFileBytes(Path(), {'[', 'A', ']', '\n', 'k', '=', 'v', '\n'});
    EXPECT_EQ(ini.ReadString("B", "k"), "");
    EXPECT_EQ(ini.ReadString("A", "other"), "");
    EXPECT_EQ(ini.ReadString("A", "k"), "v");
}

TEST_F(IniFileTest, WrittenValuesReadBackAndCreateTheFile) {
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteString("START", "DefaultFile", "/home/me/a b=c.gif"));
    ASSERT_TRUE(ini.WriteString("SYSTEM", "Version", "1.2"));
    EXPECT_EQ(ini.ReadString("START", "DefaultFile"), "/home/me/a b=c.gif");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Version"), "1.2");
    EXPECT_EQ(ReadText(Path()),
              "[START]\r\nDefaultFile=/home/me/a b=c.gif\r\n\r\n[SYSTEM]\r\nVersion=1.2\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase) {
    WriteFileBytes(Path(), {'[', 's', 't', 'a', 'r', 't', ']', '\n', 'd', 'e', 'f', 'a',
                            'u', 'l', 't', 'f', 'i', 'l', 'e', ' ',  '=', ' ', 'x', '\n'});
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("START", "DefaultFile"), "x");
    ASSERT_TRUE(ini.WriteString("Start", "DEFAULTFILE", "y"));
    EXPECT_EQ(ini.ReadString("start", "defaultfile"), "y");
    EXPECT_EQ(ReadText(Path()), "[start]\r\nDEFAULTFILE=y\r\n");
}

TEST_F(IniFileTest, UpdatingOneKeyKeepsEverythingElse) {
    const std::string original =
        "; settings\n[START]\nDefaultFile=/old.gif\nOther=1\n\n[SYSTEM]\nVersion=0.9\n";
    WriteFileBytes(Path(), TBytes(original.begin(), original.end()));
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteString("START", "DefaultFile", "/new.gif"));
    ASSERT_TRUE(ini.WriteString("START", "Added", "2"));
    EXPECT_EQ(ReadText(Path()), "; settings\r\n[START]\r\nDefaultFile=/new.gif\r\nOther=1\r\nAdded=2\r\n\r\n"
                                "[SYSTEM]\r\nVersion=0.9\r\n");
}

TEST_F(IniFileTest, LineBreaksInAValueCannotStartANewEntry) {
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteString("START", "DefaultFile", "/a\n[SYSTEM]\nVersion=evil"));
    EXPECT_EQ(ini.ReadString("SYSTEM", "Version"), "");
    EXPECT_EQ(ini.ReadString("START", "DefaultFile"), "/a [SYSTEM] Version=evil");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFile) {
    TIniFile ini(Path());
    ASSERT_TRUE(ini.WriteString("START", "DefaultFile", "/kept.gif"));
    // The new contents cannot all be written.
    {
        TFileSizeLimit limit(256);
        EXPECT_FALSE(ini.WriteString("START", "DefaultFile", "/" + std::string(1000, 'x') + ".gif"));
    }
    EXPECT_EQ(ini.ReadString("START", "DefaultFile"), "/kept.gif");
    const fs::path folder = fs::path(Path()).parent_path();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              1); // no temporary file left
}

TEST_F(IniFileTest, ALinkedSettingsFileStaysALinkAndKeepsItsHardLinks) {
    const std::string real = Path("dotfiles.ini"), copy = Path("copy.ini");
    ASSERT_TRUE(TIniFile(real).WriteString("START", "DefaultFile", "/a.gif"));
    ASSERT_EQ(::link(real.c_str(), copy.c_str()), 0);
    fs::create_symlink(real, Path());
    ASSERT_TRUE(TIniFile(Path()).WriteString("START", "DefaultFile", "/b.gif"));
    EXPECT_TRUE(fs::is_symlink(Path()));
    EXPECT_EQ(TIniFile(copy).ReadString("START", "DefaultFile"), "/b.gif");
    EXPECT_EQ(fs::hard_link_count(real), 2u);
}

TEST_F(IniFileTest, SettingsLiveInAWritableProgramFolder) {
    const std::string dir = Folder.path().toStdString();
    EXPECT_EQ(SettingsFilePath(dir, "Frameloom.ini"), (fs::path(dir) / "Frameloom.ini").string());
}

TEST_F(IniFileTest, SettingsFallBackToTheConfigurationFolder) {
    const std::string config = Path("config");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string missing = Path("no-such-folder");
    EXPECT_EQ(SettingsFilePath(missing, "Frameloom.ini"),
              (fs::path(config) / "Frameloom" / "Frameloom.ini").string());
    if (geteuid() != 0) {
        // Permissions do not bind the super-user, so this part needs an ordinary account.
        const std::string readOnly = Path("ro");
        fs::create_directory(readOnly);
        chmod(readOnly.c_str(), 0555);
        EXPECT_EQ(SettingsFilePath(readOnly, "Frameloom.ini"),
                  (fs::path(config) / "Frameloom" / "Frameloom.ini").string());
        chmod(readOnly.c_str(), 0755);
    }
    // The configuration folder is made on the first write.
    TIniFile ini(SettingsFilePath(missing, "Frameloom.ini"));
    EXPECT_TRUE(ini.WriteString("START", "DefaultFile", "/x.gif"));
    EXPECT_TRUE(fs::exists(fs::path(config) / "Frameloom" / "Frameloom.ini"));
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(DialogSeamTest, BareSaveNamesReceiveTheDefaultExtension) {
    EXPECT_EQ(CompleteDefaultExtension("/tmp/anim", "gif"), "/tmp/anim.gif");
    EXPECT_EQ(CompleteDefaultExtension("anim", "gif"), "anim.gif");
    EXPECT_EQ(CompleteDefaultExtension("/tmp/anim.gif", "gif"), "/tmp/anim.gif");
    EXPECT_EQ(CompleteDefaultExtension("/tmp/anim.GIF", "gif"), "/tmp/anim.GIF");
    EXPECT_EQ(CompleteDefaultExtension("/tmp/anim.png", "gif"), "/tmp/anim.png");
    EXPECT_EQ(CompleteDefaultExtension("/tmp/my.dir/anim", "gif"), "/tmp/my.dir/anim.gif");
    EXPECT_EQ(CompleteDefaultExtension("", "gif"), "");
    EXPECT_EQ(CompleteDefaultExtension("/tmp/anim", ""), "/tmp/anim");
}

TEST(DialogSeamTest, SaveDialogCompletesWhatTheUserTyped) {
    TScriptedDialogs dialogs;
    dialogs.SaveAnswers = {"/tmp/typed", ""};
    TFileDialogOptions options;
    options.DefaultExt = "gif";
    EXPECT_EQ(dialogs.SaveDialog(options), "/tmp/typed.gif");
    EXPECT_EQ(dialogs.SaveDialog(options), ""); // cancelled stays cancelled
}

TEST(DialogSeamTest, FiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtNameFilters("GIF files|*.gif"), "GIF files (*.gif)");
    EXPECT_EQ(QtNameFilters("GIF files (*.gif)|*.gif"), "GIF files (*.gif)");
    EXPECT_EQ(QtNameFilters("All (*.gif;*.png)|*.gif;*.png|PNG Image File (*.png)|*.png"),
              "All (*.gif *.png);;PNG Image File (*.png)");
}

} // namespace
