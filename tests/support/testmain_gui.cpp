#include "support/testenv.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    kelvara::test::IsolateEnvironment();
    // Widget tests never need a display; this also lets the build list the tests (it runs the
    // program without ctest's environment) and lets the program be run by hand.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Brask");
    QApplication::setApplicationName("Kelvara");
    return RUN_ALL_TESTS();
}
