#include "app/program.h"
#include "dialogs/filemaskfrm.h"
#include "dialogs/helpfrm.h"
#include "mainwindow/mainfrm.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "settings/setupfrm.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tekstovar {
namespace {

using test::TTempDir;
using test::TTestDialogs;

QString Q(const std::string& s) { return QString::fromStdString(s); }

class SetupFrmTest : public ::testing::Test {
protected:
    TTempDir Home;
    TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;

    std::string Dir() const { return Home.Path() + "/"; }
    void Start() { Program = std::make_unique<TProgram>(Dialogs, Dir()); }
    TMainFrm& Main() { return Program->MainFrm(); }
    test::TMainUi Ui() { return test::TMainUi(Main()); }
    TSetupFrm& Dialog() { return Program->SetupFrm(); }

    // Opens the dialog from the main window's button, as the user does, and
    // runs `inside` while it is up; a dialog `inside` left open is cancelled.
    void WithDialog(const std::function<void(TSetupFrm&)>& inside)
    {
        bool ran = false;
        Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
            EXPECT_EQ(&dialog, &Dialog());
            return test::PlayDialog(dialog, [&] {
                ran = true;
                inside(Dialog());
            });
        });
        Ui().SetupBtn->click();
        EXPECT_TRUE(ran);
    }

    TSettings FileSettings()
    {
        IniFile ini(Dir() + SettingsFileName);
        return LoadSettings(ini, Dir());
    }

    // A settings file with three pairs in the histories.
    void WriteHistories()
    {
        TSettings s;
        s.MaskHistory = {"m1", "m2", "m3"};
        s.ReplaceHistory = {"r1", "r2", "r3"};
        IniFile ini(Dir() + SettingsFileName);
        SaveSettings(ini, s);
    }

    static QStringList Items(const QComboBox* box)
    {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items.append(box->itemText(i));
        return items;
    }
};

// --- Filling the controls -------------------------------------------------

TEST_F(SetupFrmTest, OpeningShowsTheMainWindowsDefaults)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Настройка"));
        EXPECT_EQ(f.PageCtl->count(), 4);
        EXPECT_EQ(f.PageCtl->tabText(0), QStringLiteral("Текстовар"));
        EXPECT_EQ(f.PageCtl->tabText(3), QStringLiteral("Автосохранение"));
        EXPECT_EQ(f.PageCtl->currentIndex(), 0);
        EXPECT_TRUE(f.DetectEncodingChk->isChecked());
        EXPECT_EQ(f.DefaultEncodingCbx->currentText(), QStringLiteral("WIN"));
        EXPECT_FALSE(f.LoggingChk->isChecked());
        EXPECT_FALSE(f.LoggingEdt->isEnabled());
        EXPECT_EQ(f.LoggingEdt->text(), Q(Dir() + "QZ.Log"));
        EXPECT_TRUE(f.ClearListPromptChk->isChecked());
        EXPECT_TRUE(f.DetectDuplicatesChk->isChecked());
        EXPECT_FALSE(f.OverwriteBackupChk->isChecked());
        EXPECT_EQ(f.BackupRootEdt->text(), QString());
        EXPECT_EQ(f.AutoLexemHKy->Value(), 0x4057);
        EXPECT_EQ(f.AutoLexemHKy->text(), QStringLiteral("Ctrl+W"));
        EXPECT_EQ(f.ImmedAutoLexemHky->Value(), 0x6057);
        EXPECT_EQ(f.ImmedAutoLexemHky->text(), QStringLiteral("Ctrl+Shift+W"));
        EXPECT_TRUE(f.LinkedPairsChk->isChecked());
        EXPECT_EQ(f.HistoryLengthEdt->text(), QStringLiteral("20"));
        EXPECT_EQ(f.MaskEdt->text(), QStringLiteral("Шрифт Маски Поиска"));
        EXPECT_EQ(f.MaskEdt->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(f.MaskEdt->font().pointSize(), 8);
        EXPECT_EQ(f.MaskEdt->palette().color(QPalette::Text), QColor(0, 0, 128));
        EXPECT_EQ(f.ReplaceEdt->palette().color(QPalette::Text), QColor(128, 0, 0));
        EXPECT_TRUE(f.BatchReplacesChk->isChecked());
        EXPECT_TRUE(f.AutoSaveSettingsChk->isChecked());
        EXPECT_FALSE(f.AutoSaveFileListChk->isChecked());
        EXPECT_FALSE(f.AutoSaveBatchChk->isChecked());
        EXPECT_EQ(f.SaveBtn->toolTip(), QStringLiteral("Прямо Сейчас"));
        EXPECT_TRUE(f.OkBtn->isDefault());
        EXPECT_GE(f.width(), 394);
        EXPECT_GE(f.height(), 233);
    });
}

TEST_F(SetupFrmTest, TickingLoggingEnablesTheFileName)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.LoggingChk->click();
        EXPECT_TRUE(f.LoggingEdt->isEnabled());
        f.LoggingChk->click();
        EXPECT_FALSE(f.LoggingEdt->isEnabled());
    });
}

TEST_F(SetupFrmTest, EachOpeningRefillsTheControlsAndDropsUnappliedEdits)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.LinkedPairsChk->setChecked(false);
        f.HistoryLengthEdt->setText(QStringLiteral("7"));
        f.PageCtl->setCurrentIndex(2);
        f.CancelBtn->click();
    });
    EXPECT_TRUE(Main().Settings().LinkedPairs);
    EXPECT_EQ(Main().Settings().HistoryLength, 20);
    WithDialog([&](TSetupFrm& f) {
        EXPECT_TRUE(f.LinkedPairsChk->isChecked());
        EXPECT_EQ(f.HistoryLengthEdt->text(), QStringLiteral("20"));
        // Only the first opening starts on the first page.
        EXPECT_EQ(f.PageCtl->currentIndex(), 2);
    });
}

// --- Applying and saving --------------------------------------------------

TEST_F(SetupFrmTest, EveryControlGoesThroughOkAndTheSettingsFile)
{
    Start();
    Dialogs.FontAnswers.push_back(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold));
    Dialogs.ColourAnswers.push_back(QColor(10, 20, 30)); // the replace font keeps its colour
    QFont replaceFont(QStringLiteral("DejaVu Serif"), 10);
    replaceFont.setItalic(true);
    replaceFont.setUnderline(true);
    replaceFont.setStrikeOut(true);
    Dialogs.FontAnswers.push_back(replaceFont);
    const std::string log = Home.Path("журнал.log");
    const std::string root = Home.Path("свалка") + "/";
    WithDialog([&](TSetupFrm& f) {
        f.DetectEncodingChk->click();
        f.DefaultEncodingCbx->setCurrentIndex(3);
        f.LoggingChk->click();
        f.LoggingEdt->setText(Q(log));
        f.ClearListPromptChk->click();
        f.DetectDuplicatesChk->click();
        f.OverwriteBackupChk->click();
        f.BackupRootEdt->setText(Q(root));
        f.AutoLexemHKy->SetValue(0xC051); // Ctrl+Alt+Q
        f.ImmedAutoLexemHky->SetValue(0x8070); // Alt+F1
        f.LinkedPairsChk->click();
        f.HistoryLengthEdt->setText(QStringLiteral("33"));
        f.MaskFontBtn->click();
        f.ReplaceFontBtn->click();
        f.BatchReplacesChk->click();
        f.AutoSaveSettingsChk->click();
        f.AutoSaveFileListChk->click();
        f.AutoSaveBatchChk->click();
        f.OkBtn->click();
    });

    const TSettings& m = Main().Settings();
    EXPECT_FALSE(m.DetectEncoding);
    EXPECT_EQ(m.DefaultEncoding, 3);
    EXPECT_TRUE(m.Logging);
    EXPECT_EQ(m.LogFileName, log);
    EXPECT_FALSE(m.ClearListPrompt);
    EXPECT_FALSE(m.DetectDuplicates);
    EXPECT_TRUE(m.OverwriteBackup);
    EXPECT_EQ(Main().GetBackupRoot(), root);
    EXPECT_EQ(m.AutoLexemKey, 0xC051);
    EXPECT_EQ(m.ImmedAutoLexemKey, 0x8070);
    EXPECT_FALSE(m.LinkedPairs);
    EXPECT_EQ(m.HistoryLength, 33);
    EXPECT_EQ(m.MaskFont, (TFontSettings{"DejaVu Sans", 30 * 65536 + 20 * 256 + 10, 12, true, false, false, false}));
    EXPECT_EQ(m.ReplaceFont, (TFontSettings{"DejaVu Serif", 128, 10, false, true, true, true}));
    EXPECT_EQ(Ui().MaskCbx->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(Ui().MaskCbx->font().bold());
    EXPECT_EQ(Ui().ReplaceCbx->font().pointSize(), 10);
    EXPECT_FALSE(m.BatchReplacesTable);
    EXPECT_FALSE(m.AutoSaveSettings);
    EXPECT_TRUE(m.AutoSaveFileList);
    EXPECT_TRUE(m.AutoSaveBatch);
    // Applying writes nothing.
    EXPECT_TRUE(FileSettings().DetectEncoding);

    Main().SaveSettings();
    const TSettings file = FileSettings();
    EXPECT_FALSE(file.DetectEncoding);
    EXPECT_EQ(file.DefaultEncoding, 3);
    EXPECT_TRUE(file.Logging);
    EXPECT_EQ(file.LogFileName, log);
    EXPECT_FALSE(file.ClearListPrompt);
    EXPECT_FALSE(file.DetectDuplicates);
    EXPECT_TRUE(file.OverwriteBackup);
    EXPECT_EQ(file.BackupRoot, root);
    EXPECT_EQ(file.AutoLexemKey, 0xC051);
    EXPECT_EQ(file.ImmedAutoLexemKey, 0x8070);
    EXPECT_FALSE(file.LinkedPairs);
    EXPECT_EQ(file.HistoryLength, 33);
    EXPECT_EQ(file.MaskFont, m.MaskFont);
    EXPECT_EQ(file.ReplaceFont, m.ReplaceFont);
    EXPECT_FALSE(file.BatchReplacesTable);
    EXPECT_FALSE(file.AutoSaveSettings);
    EXPECT_TRUE(file.AutoSaveFileList);
    EXPECT_TRUE(file.AutoSaveBatch);

    // And the dialog shows the applied values when opened again.
    WithDialog([&](TSetupFrm& f) {
        EXPECT_FALSE(f.DetectEncodingChk->isChecked());
        EXPECT_EQ(f.DefaultEncodingCbx->currentText(), QStringLiteral("ISO"));
        EXPECT_TRUE(f.LoggingEdt->isEnabled());
        EXPECT_EQ(f.LoggingEdt->text(), Q(log));
        EXPECT_EQ(f.AutoLexemHKy->text(), QStringLiteral("Ctrl+Alt+Q"));
        EXPECT_EQ(f.ImmedAutoLexemHky->text(), QStringLiteral("Alt+F1"));
        EXPECT_EQ(f.HistoryLengthEdt->text(), QStringLiteral("33"));
        EXPECT_EQ(f.MaskEdt->font().family(), QStringLiteral("DejaVu Sans"));
        EXPECT_TRUE(f.ReplaceEdt->font().strikeOut());
    });
}

TEST_F(SetupFrmTest, CancelAppliesNothing)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.DetectDuplicatesChk->click();
        f.DefaultEncodingCbx->setCurrentIndex(2);
        f.BackupRootEdt->setText(Q(Home.Path("bak")));
        f.CancelBtn->click();
    });
    EXPECT_TRUE(Main().Settings().DetectDuplicates);
    EXPECT_EQ(Main().Settings().DefaultEncoding, 0);
    EXPECT_EQ(Main().GetBackupRoot(), "");
}

TEST_F(SetupFrmTest, HistoryLengthZeroEmptiesBothHistories)
{
    WriteHistories();
    Start();
    ASSERT_EQ(Ui().MaskCbx->count(), 3);
    WithDialog([&](TSetupFrm& f) {
        f.HistoryLengthEdt->setText(QStringLiteral("0"));
        f.OkBtn->click();
    });
    EXPECT_EQ(Main().Settings().HistoryLength, 0);
    EXPECT_EQ(Ui().MaskCbx->count(), 0);
    EXPECT_EQ(Ui().ReplaceCbx->count(), 0);
    Main().SaveSettings();
    const TSettings file = FileSettings();
    EXPECT_EQ(file.HistoryLength, 0);
    EXPECT_TRUE(file.MaskHistory.empty());
    EXPECT_TRUE(file.ReplaceHistory.empty());
}

TEST_F(SetupFrmTest, ShorterHistoryLengthDropsTheLastPairs)
{
    WriteHistories();
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.HistoryLengthEdt->setText(QStringLiteral("2"));
        f.OkBtn->click();
    });
    EXPECT_EQ(Items(Ui().MaskCbx), (QStringList{QStringLiteral("m1"), QStringLiteral("m2")}));
    EXPECT_EQ(Items(Ui().ReplaceCbx), (QStringList{QStringLiteral("r1"), QStringLiteral("r2")}));
}

TEST_F(SetupFrmTest, NonNumberHistoryLengthIsIgnoredAndTheRestApplied)
{
    WriteHistories();
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.HistoryLengthEdt->setText(QStringLiteral("два"));
        f.LinkedPairsChk->click();
        f.OkBtn->click();
    });
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
    EXPECT_EQ(Main().Settings().HistoryLength, 20);
    EXPECT_EQ(Ui().MaskCbx->count(), 3);
    EXPECT_EQ(Ui().ReplaceCbx->count(), 3);
    EXPECT_FALSE(Main().Settings().LinkedPairs);
    Main().SaveSettings();
    EXPECT_EQ(FileSettings().HistoryLength, 20);
    EXPECT_EQ(FileSettings().MaskHistory.size(), 3u);
}

TEST_F(SetupFrmTest, SaveWritesAtOnceAndCancelKeepsWhatWasSaved)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.OverwriteBackupChk->click();
        f.HistoryLengthEdt->setText(QStringLiteral("5"));
        f.PageCtl->setCurrentIndex(3);
        f.SaveBtn->click();
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(FileSettings().OverwriteBackup);
        EXPECT_EQ(FileSettings().HistoryLength, 5);
        // An edit after saving is dropped by Cancel.
        f.AutoSaveBatchChk->click();
        f.CancelBtn->click();
    });
    EXPECT_TRUE(Main().Settings().OverwriteBackup);
    EXPECT_EQ(Main().Settings().HistoryLength, 5);
    EXPECT_FALSE(Main().Settings().AutoSaveBatch);
    EXPECT_TRUE(FileSettings().OverwriteBackup);
    EXPECT_FALSE(FileSettings().AutoSaveBatch);
}

TEST_F(SetupFrmTest, SaveThatCannotWriteShowsTheError)
{
    Start();
    std::filesystem::create_directory(Home.Path(SettingsFileName)); // a directory where the file goes
    WithDialog([&](TSetupFrm& f) {
        f.SaveBtn->click();
        EXPECT_TRUE(f.isVisible());
    });
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(Q(SettingsFileName))) << Dialogs.Errors[0].toStdString();
}

// --- Backup root ----------------------------------------------------------

TEST_F(SetupFrmTest, BackupRootWithoutSlashComesBackWithIt)
{
    Start();
    const std::string root = Home.Path("bak");
    WithDialog([&](TSetupFrm& f) {
        f.BackupRootEdt->setText(Q(root));
        f.OkBtn->click();
    });
    EXPECT_EQ(Main().GetBackupRoot(), root + "/");
    WithDialog([&](TSetupFrm& f) { EXPECT_EQ(f.BackupRootEdt->text(), Q(root + "/")); });
    Main().SaveSettings();
    EXPECT_EQ(FileSettings().BackupRoot, root + "/");
}

TEST_F(SetupFrmTest, BrowseReplacesTheRootWithTheChosenFolder)
{
    Start();
    const QString chosen = Q(Home.Path("выбрано"));
    Dialogs.DirectoryAnswers.push_back(chosen);
    WithDialog([&](TSetupFrm& f) {
        f.BackupRootEdt->setText(QStringLiteral("/old/"));
        f.BrowseBtn->click();
        EXPECT_EQ(f.BackupRootEdt->text(), chosen);
        // Cancelled: the text stays.
        f.BrowseBtn->click();
        EXPECT_EQ(f.BackupRootEdt->text(), chosen);
    });
    ASSERT_EQ(Dialogs.DirectoryQuestions.size(), 2);
    EXPECT_TRUE(Dialogs.DirectoryQuestions[0].Caption.isEmpty());
    EXPECT_TRUE(Dialogs.DirectoryQuestions[0].Directory.isEmpty());
}

// --- Fonts ----------------------------------------------------------------

TEST_F(SetupFrmTest, FontDialogStartsFromTheSampleAndCancelKeepsIt)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        f.MaskFontBtn->click(); // nothing queued: cancelled
        EXPECT_EQ(f.MaskEdt->font().family(), QStringLiteral("Courier New"));
        f.OkBtn->click();
    });
    ASSERT_EQ(Dialogs.FontsOffered.size(), 1);
    EXPECT_EQ(Dialogs.FontsOffered[0].family(), QStringLiteral("Courier New"));
    EXPECT_EQ(Dialogs.FontsOffered[0].pointSize(), 8);
    EXPECT_EQ(Dialogs.ColoursOffered[0], QColor(0, 0, 128)); // navy, the default
    EXPECT_EQ(Main().Settings().MaskFont, (TFontSettings{"Courier New", 8388608}));
}

// A font the machine lacks is drawn in its monospace one, so that masks
// line up; the settings keep the stored name and size.
TEST_F(SetupFrmTest, AMissingFontIsShownMonospacedAndKeptByName)
{
    const std::string missing = "Нет Такого Шрифта";
    TSettings stored;
    stored.MaskFont = {missing, 128, 11};
    IniFile ini(Dir() + SettingsFileName);
    SaveSettings(ini, stored);
    Start();
    // Drawn monospaced: what a font says of itself may lack (some monospace
    // fonts do not declare their spacing).
    const auto monospaced = [](const QFont& font) {
        const QFontMetrics m(font);
        return m.horizontalAdvance(QStringLiteral("iiiiiiii")) == m.horizontalAdvance(QStringLiteral("WWWWWWWW")) &&
            m.horizontalAdvance(QStringLiteral("шшшш")) == m.horizontalAdvance(QStringLiteral("...."));
    };
    const QFontInfo shown(Ui().MaskCbx->font());
    EXPECT_TRUE(monospaced(Ui().MaskCbx->font())) << shown.family().toStdString();
    EXPECT_EQ(shown.pointSize(), 11);
    WithDialog([&](TSetupFrm& f) {
        EXPECT_TRUE(monospaced(f.MaskEdt->font()));
        f.OkBtn->click();
    });
    EXPECT_EQ(Main().Settings().MaskFont, (TFontSettings{missing, 128, 11}));
    Main().SaveSettings();
    EXPECT_EQ(FileSettings().MaskFont, (TFontSettings{missing, 128, 11}));
}

// --- Hot keys -------------------------------------------------------------

TEST_F(SetupFrmTest, PlainOrShiftedLetterBecomesCtrlLetter)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        QTest::keyClick(f.AutoLexemHKy, Qt::Key_Q);
        EXPECT_EQ(f.AutoLexemHKy->Value(), 0x4051);
        EXPECT_EQ(f.AutoLexemHKy->text(), QStringLiteral("Ctrl+Q"));
        QTest::keyClick(f.ImmedAutoLexemHky, Qt::Key_E, Qt::ShiftModifier);
        EXPECT_EQ(f.ImmedAutoLexemHky->Value(), 0x4045);
        f.OkBtn->click();
    });
    EXPECT_EQ(Main().Settings().AutoLexemKey, 0x4051);
    EXPECT_EQ(Main().Settings().ImmedAutoLexemKey, 0x4045);
    Main().SaveSettings();
    EXPECT_EQ(FileSettings().AutoLexemKey, 0x4051);
    EXPECT_EQ(FileSettings().ImmedAutoLexemKey, 0x4045);
}

TEST_F(SetupFrmTest, HotKeyWithCtrlOrAltIsTakenAsTyped)
{
    Start();
    WithDialog([&](TSetupFrm& f) {
        THotKeyEdit* edit = f.AutoLexemHKy;
        QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(edit->Value(), 0x6052);
        QTest::keyClick(edit, Qt::Key_F5, Qt::AltModifier);
        EXPECT_EQ(edit->Value(), 0x8074);
        QTest::keyClick(edit, Qt::Key_5, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(edit->Value(), 0xC035);
        EXPECT_EQ(edit->text(), QStringLiteral("Ctrl+Alt+5"));
        // A modifier on its own changes nothing.
        QTest::keyClick(edit, Qt::Key_Shift, Qt::ShiftModifier);
        EXPECT_EQ(edit->Value(), 0xC035);
        // A Cyrillic letter is the key that carries it: Ф is on A.
        QKeyEvent cyrillic(QEvent::KeyPress, 0x0424, Qt::NoModifier, QStringLiteral("Ф"));
        QApplication::sendEvent(edit, &cyrillic);
        EXPECT_EQ(edit->Value(), 0x4041);
    });
}

TEST(HotKeyText, NamesModifiersAndKeys)
{
    EXPECT_EQ(HotKeyText(0), QStringLiteral("Нет"));
    EXPECT_EQ(HotKeyText(0x4057), QStringLiteral("Ctrl+W"));
    EXPECT_EQ(HotKeyText(0xE041), QStringLiteral("Ctrl+Shift+Alt+A"));
    EXPECT_EQ(HotKeyText(0x4070), QStringLiteral("Ctrl+F1"));
    EXPECT_EQ(HotKeyText(0x402E), QStringLiteral("Ctrl+Del"));
    EXPECT_EQ(HotKeyText(0x4065), QStringLiteral("Ctrl+Num 5"));
}

// --- Other windows --------------------------------------------------------

TEST_F(SetupFrmTest, MasksButtonOpensTheFileMasksDialog)
{
    Start();
    bool shown = false;
    WithDialog([&](TSetupFrm& f) {
        Dialogs.ExecAnswers.push_back([&](QDialog& dialog) {
            shown = &dialog == &Program->FileMaskFrm();
            return test::PlayDialog(dialog, [] {});
        });
        f.MasksBtn->click();
        // Still up after the nested dialog closed.
        EXPECT_TRUE(f.isVisible());
    });
    EXPECT_TRUE(shown);
}

TEST_F(SetupFrmTest, HelpOpensTheHelpWindow)
{
    Start();
    ASSERT_FALSE(Program->HelpFrm().isVisible());
    WithDialog([&](TSetupFrm& f) { f.HelpBtn->click(); });
    EXPECT_TRUE(Program->HelpFrm().isVisible());
    const auto* page = Program->HelpFrm().findChild<QTextBrowser*>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->source(), THelpFrm::TopicUrl(QStringLiteral("Setup")));
}

} // namespace
} // namespace tekstovar
