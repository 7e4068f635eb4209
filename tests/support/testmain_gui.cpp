#include "support/testenv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    kelvara::test::IsolateEnvironment();
    // Also when the test list is read at build time, where ctest's environment is not set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Brask");
    QApplication::setApplicationName("Kelvara");
    return RUN_ALL_TESTS();
}
