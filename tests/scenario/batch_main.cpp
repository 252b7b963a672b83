#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Before the application exists, or it looks for a display; CTest also
    // runs this binary to list the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
