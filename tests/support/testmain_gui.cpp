#include "support/testenv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    kelvara::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    // Tests never need a screen; this also lets the build list the tests where there is none.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Brask");
    QApplication::setApplicationName("Kelvara");
    return RUN_ALL_TESTS();
}
