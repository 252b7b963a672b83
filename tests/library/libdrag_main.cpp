#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Real drags with the mouse: the offscreen platform ends every drag at
    // once, while the minimal one runs Qt's own drag loop without a screen.
    // Set before the application exists, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
