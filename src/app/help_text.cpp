#include "app/help_text.h"

#include <initializer_list>
#include <string_view>

#include "app/home_page.h"

namespace {

std::string BuildHelpText() {
  const std::string rule(46, '-');
  const std::string site = std::string("网站：") + kHomePageAddress;
  const std::initializer_list<std::string_view> lines = {
      rule,
      "             Zelvorn鼠标助手 V3.0",
      rule,
      "【软件简介】",
      "    Zelvorn鼠标助手是一款记录鼠标事件的小工具，它能将您记录的鼠标事件完整的重现，利用它您就能让电脑帮您执行一些重复的操作，比如自动点击网站广告、自动打开指定软件、执行指定操作等。",
      "",
      "【使用说明】",
      "录制：录制一个鼠标事件。将鼠标移动到指定位置，按下相应的快捷键即可设定本次鼠标事件，最后点击［保存鼠标事件］按钮即可将保存本次任务。",
      "",
      "播放：播放当前选中的任务。",
      "",
      "按 Cops Lock 键停止：本次任务只至用户按下了键盘上的Cops Lock 键后方停止。",
      "",
      "指定次数：本次任务执行指定次数后停止。",
      "",
      "间隔时间：任务与任务之间的间隔时间。",
      "",
      "【其它说明】",
      "",
      "Zelvorn鼠标助手源自一款经典的鼠标小工具，由Zelvorn网重新编写，功能与用法保持不变。",
      "",
      "Zelvorn鼠标助手仅记录了鼠标在屏幕上的事件，您在播放任务时请保证当前屏幕上的布局与您录制时一致，否则该任务无法正确执行。",
      "",
      "在任务执行过程中您可以随时按下键盘上的Cops Lock键来终止本次任务，一个任务有多个事件的，程序会将所有事件执行完毕后终止。",
      "",
      "您也可以关闭Zelvorn鼠标助手，本次任务中未完成的事件将自动放弃。",
      "",
      "Zelvorn鼠标助手记录了多个事件之间的时间，您可以用记事本打开程序目录下的相应任务文件，修改相关项目中的“延时”值来调整两个事件间的时间，单位：毫秒。",
      "",
      "【关于作者】",
      "作者：Zelvorn网",
      site,
  };
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text.append("\r\n");
    text.append(line);
    first = false;
  }
  return text;
}

}  // namespace

const std::string& HelpText() {
  static const std::string text = BuildHelpText();
  return text;
}
