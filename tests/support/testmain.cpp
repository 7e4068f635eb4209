#include "support/testenv.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    kelvara::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
