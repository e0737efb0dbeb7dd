#include "services/labels.h"

#include "services/text.h"

std::string IntervalLabelText(int position) {
    // Each step rounds to a double as it goes: p * 0.1 is rounded before the division and the
    // remainder, which is what makes 600 read "1分0.0秒".
    const double seconds = position * 0.1;
    if (position < 600) return JoinTexts({RealToText(seconds), "秒"});
    const std::int32_t minutes = TruncateReal(seconds / 60);
    const std::string rest = FormatNumber(RealRemainder(seconds, 60), 1, false);
    return JoinTexts({IntegerToText(minutes), "分", rest, "秒"});
}

std::string CoordinateLabelText(int x, int y) {
    return JoinTexts({"当前鼠标横/纵座标：", IntegerToText(x), "/", IntegerToText(y)});
}
