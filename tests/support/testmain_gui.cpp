#include "support/testenv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    kelvara::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    // Offscreen unless told otherwise, also when the build lists the tests (no display there).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Brask");
    QApplication::setApplicationName("Kelvara");
    return RUN_ALL_TESTS();
}
