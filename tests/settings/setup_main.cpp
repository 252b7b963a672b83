#include "app/application.h"
#include "support/testdialogs.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Before the application exists, or it looks for a display; CTest also
    // runs this binary to list the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static tekstovar::test::TTestDialogs applicationDialogs;
    tekstovar::TApplication application(argc, argv, applicationDialogs);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
