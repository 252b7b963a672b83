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
