// Entry of the core test programs: the C library's locale from the environment, as the
// window program has it under Qt, then every GoogleTest case.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
