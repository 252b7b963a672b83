#include "app/application.h"
#include "support/testdialogs.h"

#include <gtest/gtest.h>

namespace tekstovar::test {

// The dialogs of the application object itself, for the tests of its error
// handling.
TTestDialogs& ApplicationDialogs()
{
    static TTestDialogs dialogs;
    return dialogs;
}

} // namespace tekstovar::test

int main(int argc, char** argv)
{
    // Before the application exists, or it looks for a display; CTest also
    // runs this binary to list the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tekstovar::TApplication application(argc, argv, tekstovar::test::ApplicationDialogs());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
