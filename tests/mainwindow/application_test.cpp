#include "app/placement.h"
#include "common/error.h"
#include "support/testdialogs.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QObject>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tekstovar::test {

TTestDialogs& ApplicationDialogs();

namespace {

// A receiver whose handling of an event fails, as a command can.
class TFailingReceiver : public QObject {
public:
    int Calls = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++Calls;
        throw TError(Calls == 1 ? "Сообщите Разработчику" : "Файл \"a\"");
    }
};

TEST(Application, AFailedCommandShowsItsMessageAndTheProgramGoesOn)
{
    TTestDialogs& dialogs = ApplicationDialogs();
    dialogs.Errors.clear();
    TFailingReceiver receiver;
    QEvent first(QEvent::User);
    QEvent second(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &first);
    QCoreApplication::sendEvent(&receiver, &second);
    EXPECT_EQ(receiver.Calls, 2);
    // A full stop when the last character's code is greater than its own.
    EXPECT_EQ(dialogs.Errors, (QStringList{QStringLiteral("Сообщите Разработчику."), QStringLiteral("Файл \"a\"")}));
}

// Bounds that fit the box around all screens may still lie off every one of
// them: such a window comes wholly onto the screen it overlaps most, else
// the nearest one.
TEST(Application, AWindowOffEveryScreenComesOntoOne)
{
    const QList<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)};
    // Title bar on a screen: as stored, though the window runs over its edge.
    EXPECT_EQ(PlaceOnScreens(QRect(100, 50, 350, 260), two), QRect(100, 50, 350, 260));
    EXPECT_EQ(PlaceOnScreens(QRect(1800, 900, 350, 260), two), QRect(1800, 900, 350, 260));
    EXPECT_EQ(PlaceOnScreens(QRect(-310, 50, 350, 260), two), QRect(-310, 50, 350, 260));
    // Below the smaller screen, in the box around both.
    EXPECT_EQ(PlaceOnScreens(QRect(2000, 900, 350, 260), two), QRect(2000, 460, 350, 260));
    // Mostly on the larger one, its title bar off both.
    EXPECT_EQ(PlaceOnScreens(QRect(1700, -100, 350, 260), two), QRect(1570, 0, 350, 260));
    // On no screen at all: the nearest, and no larger than it.
    EXPECT_EQ(PlaceOnScreens(QRect(5000, 3000, 2000, 900), two), QRect(1920, 0, 1280, 720));
    EXPECT_EQ(PlaceOnScreens(QRect(5, 5, 10, 10), {}), QRect(5, 5, 10, 10));
}

TEST(Application, QtsOwnButtonsAreInRussian)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qt_ru.qm")) &&
        !QFileInfo::exists(folder + QStringLiteral("/qtbase_ru.qm")))
        GTEST_SKIP() << "no Russian translation of Qt in " << folder.toStdString();
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
}

} // namespace
} // namespace tekstovar::test
