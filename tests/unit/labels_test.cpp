#include "services/labels.h"

#include <gtest/gtest.h>

#include <string>

TEST(IntervalLabel, Table) {
    const struct { int position; const char* text; } cases[] = {
        {0, "0秒"},
        {1, "0.1秒"},
        {5, "0.5秒"},
        {10, "1秒"},
        {59, "5.9秒"},
        {60, "6秒"},
        {61, "6.1秒"},
        {599, "59.9秒"},
        {600, "1分0.0秒"},
        {601, "1分0.1秒"},
        {9999, "16分39.9秒"},
        {10000, "16分40.0秒"},
        {20000, "33分20.0秒"},
        {32767, "54分36.7秒"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(IntervalLabelText(c.position), c.text);
    }
}

TEST(CoordinateLabel, ShowsSignedCoordinates) {
    EXPECT_EQ(CoordinateLabelText(-12, 300), "当前鼠标横/纵座标：-12/300");
    EXPECT_EQ(CoordinateLabelText(1024, -3), "当前鼠标横/纵座标：1024/-3");
}
