#include "common/error.h"
#include "support/testdialogs.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tekstovar::test {

TTestDialogs& ApplicationDialogs();

namespace {

TEST(Application, AFailedCommandShowsItsMessageAndTheProgramGoesOn)
{
    TTestDialogs& dialogs = ApplicationDialogs();
    dialogs.Errors.clear();
    QPushButton button(QStringLiteral("x"));
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw TError(clicks == 1 ? "Сообщите Разработчику" : "Файл \"a\"");
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    // A full stop when the last character's code is greater than its own.
    EXPECT_EQ(dialogs.Errors, (QStringList{QStringLiteral("Сообщите Разработчику."), QStringLiteral("Файл \"a\"")}));
}

} // namespace
} // namespace tekstovar::test
