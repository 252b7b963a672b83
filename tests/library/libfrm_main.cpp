#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Before the application exists, or it looks for a display; CTest also
    // runs this binary to list the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The download's temporary file goes to the temporary directory: one of
    // our own keeps parallel runs apart and shows what is left behind.
    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
