#include "dialogs/aboutfrm.h"
#include "support/testdialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tekstovar {
namespace {

class AboutFrmTest : public testing::Test {
protected:
    test::TTestDialogs Dialogs;
    TAboutFrm About{Dialogs};

    void SetUp() override { About.show(); }

    QLabel* Label(const QString& name) { return About.findChild<QLabel*>(name); }
};

TEST_F(AboutFrmTest, FixedSizeCaptionsAndLinks)
{
    EXPECT_EQ(About.windowTitle(), QStringLiteral("Автор"));
    EXPECT_EQ(About.minimumSize(), QSize(377, 414));
    EXPECT_EQ(About.maximumSize(), QSize(377, 414));
    QLabel* product = Label(QStringLiteral("ProductLbl"));
    ASSERT_TRUE(product);
    EXPECT_EQ(product->text(), QStringLiteral("Текстовар"));
    EXPECT_EQ(product->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(product->font().pixelSize(), 32);
    EXPECT_EQ(product->palette().color(QPalette::WindowText), QColor(Qt::blue));
    bool version = false;
    for (QLabel* label : About.findChildren<QLabel*>())
        version |= label->text() == QStringLiteral("Версия 3.1");
    EXPECT_TRUE(version);
}

TEST_F(AboutFrmTest, MailAndPageLinksOpenTheirAddresses)
{
    QLabel* mail = Label(QStringLiteral("MailLbl"));
    QLabel* page = Label(QStringLiteral("PageLbl"));
    ASSERT_TRUE(mail && page);
    QTest::mouseClick(mail, Qt::LeftButton);
    QTest::mouseClick(page, Qt::LeftButton);
    ASSERT_EQ(Dialogs.OpenedUrls.size(), 2);
    EXPECT_EQ(Dialogs.OpenedUrls[0], QUrl(QStringLiteral("mailto:tekstovar@example.org")));
    EXPECT_EQ(Dialogs.OpenedUrls[1], QUrl(QStringLiteral("https://tekstovar.example.org/")));
    EXPECT_EQ(mail->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(mail->font().underline());
}

TEST_F(AboutFrmTest, EachHelperLinkMailsTheAddressInItsToolTip)
{
    QStringList seen;
    for (int i = 1; i <= 4; ++i) {
        QLabel* person = Label(QStringLiteral("PeopleLbl%1").arg(i));
        ASSERT_TRUE(person) << i;
        QString address = person->toolTip();
        EXPECT_TRUE(address.endsWith(QStringLiteral("@example.org"))) << address.toStdString();
        QTest::mouseClick(person, Qt::LeftButton);
        ASSERT_EQ(Dialogs.OpenedUrls.size(), i);
        EXPECT_EQ(Dialogs.OpenedUrls.back(), QUrl(QStringLiteral("mailto:") + address));
        seen.append(address);
    }
    seen.removeDuplicates();
    EXPECT_EQ(seen.size(), 4) << "every helper has an address of his own";
}

TEST_F(AboutFrmTest, OnlyALeftClickFollowsALink)
{
    QTest::mouseClick(Label(QStringLiteral("MailLbl")), Qt::RightButton);
    EXPECT_TRUE(Dialogs.OpenedUrls.isEmpty());
}

TEST_F(AboutFrmTest, TheButtonIsDefaultAndEscapeClosesToo)
{
    auto* ok = About.findChild<QPushButton*>(QStringLiteral("OkBtn"));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->text(), QStringLiteral("Угу"));
    EXPECT_TRUE(ok->isDefault());
    QTest::keyClick(&About, Qt::Key_Return);
    EXPECT_FALSE(About.isVisible());
    EXPECT_EQ(About.result(), QDialog::Accepted);

    About.show();
    QTest::keyClick(&About, Qt::Key_Escape);
    EXPECT_FALSE(About.isVisible());
    EXPECT_TRUE(Dialogs.OpenedUrls.isEmpty());
}

} // namespace
} // namespace tekstovar
