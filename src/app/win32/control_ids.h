#pragma once

// Control and menu item ids of the main window, named as the controls are.
namespace ids {
enum : int {
  图片框1 = 100,
  超级链接框1 = 101,
  分组框1 = 102,
  选择夹1 = 103,
  标签1 = 110,
  标签2 = 111,
  录制 = 120,
  播放 = 121,
  帮助 = 122,
  关于 = 123,
  分组框3 = 130,
  分组框4 = 131,
  列表框 = 132,
  单选框1 = 140,
  单选框2 = 141,
  编辑框1 = 142,
  次数调节钮 = 143,  // the up-down button of 编辑框1
  标签5 = 144,
  间隔时间 = 145,
  间隔滑块条 = 146,
  标签6 = 147,
  鼠标速度 = 148,
  鼠标滑块条 = 149,
  按钮1 = 150,
  分组框2 = 151,
  标签3 = 152,
  标签4 = 153,

  删除任务 = 200,
  编辑任务 = 201,
  Zelvorn网提供 = 202,
};
}  // namespace ids
