#include <gtest/gtest.h>

#include "platform/DateOrder.h"

namespace {

using kx::DateOrder;
using kx::DateOrderOfFormat;

// The short date forms of Qt's locales and of the C library's, as the window and the
// tool get them.
TEST(DateOrderOfFormat, QtPatternsAndStrftimeFormsGiveTheSameOrder) {
    const struct {
        const char* format;
        DateOrder order;
    } cases[] =
        {
            {"M/d/yy", DateOrder::MDY},       {"%m/%d/%Y", DateOrder::MDY},  // en_US
            {"yyyy-MM-dd", DateOrder::YMD},   {"%Y-%m-%d", DateOrder::YMD},  // lt_LT
            {"dd.MM.yy", DateOrder::DMY},     {"%d.%m.%Y", DateOrder::DMY},  // de_DE
            {"d MMM yyyy", DateOrder::DMY},   {"%m/%d/%y", DateOrder::MDY},  // C
            {"dd/MM/yyyy", DateOrder::DMY},   {"%D", DateOrder::MDY},
            {"%F", DateOrder::YMD},           {"%e.%-m.%Ey", DateOrder::DMY},
            {"%%d %Om/%d", DateOrder::MDY},    // "%%" is a percent sign, not a conversion
            {"dddd, M/d/yy", DateOrder::MDY},  // the day's name is no day number
            {"'d' M/d/yy", DateOrder::MDY},    // nor is quoted text
            {"yy/M/d", DateOrder::YMD},       {"d.M", DateOrder::DMY},
        };
    for (const auto& c : cases) EXPECT_EQ(DateOrderOfFormat(c.format), c.order) << c.format;
}

}  // namespace
