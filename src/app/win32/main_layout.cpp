#include "app/win32/main_layout.h"

#include <iterator>

#include "app/win32/control_ids.h"

namespace {

// Group box offsets: the controls drawn inside a group box are children of the page area,
// placed at the group box's offset plus their place in it.
constexpr int kTaskBoxX = 5, kTaskBoxY = 45;      // 分组框3
constexpr int kOptionBoxX = 200, kOptionBoxY = 45;  // 分组框4
constexpr int kNoteBoxX = 6, kNoteBoxY = 52;      // 分组框2

constexpr ControlPlace kPlaces[] = {
    {ids::图片框1, ParentKind::Window, -1, -3, 0, 400, 60},
    {ids::超级链接框1, ParentKind::Banner, -1, 0, 40, 168, 16},
    {ids::分组框1, ParentKind::Window, -1, -5, 55, 402, 8},
    {ids::选择夹1, ParentKind::Window, -1, 0, kPagesCreatedTop, 400, 199},
    {ids::标签1, ParentKind::Window, -1, 4, 245, 140, 19},
    {ids::标签2, ParentKind::Window, -1, 146, 245, 245, 19},

    {ids::录制, ParentKind::Pages, 0, 7, 0, 90, 40},
    {ids::播放, ParentKind::Pages, 0, 101, 0, 90, 40},
    {ids::帮助, ParentKind::Pages, 0, 195, 0, 90, 40},
    {ids::关于, ParentKind::Pages, 0, 289, 0, 90, 40},
    {ids::分组框3, ParentKind::Pages, 0, kTaskBoxX, kTaskBoxY, 190, 132},
    {ids::列表框, ParentKind::Pages, 0, kTaskBoxX + 4, kTaskBoxY + 14, 181, 110},
    {ids::分组框4, ParentKind::Pages, 0, kOptionBoxX, kOptionBoxY, 190, 132},
    {ids::单选框1, ParentKind::Pages, 0, kOptionBoxX + 8, kOptionBoxY + 13, 176, 15},
    {ids::单选框2, ParentKind::Pages, 0, kOptionBoxX + 8, kOptionBoxY + 32, 80, 15},
    {ids::编辑框1, ParentKind::Pages, 0, kOptionBoxX + 87, kOptionBoxY + 30, 68, 16},
    {ids::次数调节钮, ParentKind::Pages, 0, kOptionBoxX + 87 + 68, kOptionBoxY + 30, 18, 16},
    {ids::标签5, ParentKind::Pages, 0, kOptionBoxX + 10, kOptionBoxY + 51, 62, 16},
    {ids::间隔时间, ParentKind::Pages, 0, kOptionBoxX + 87, kOptionBoxY + 51, 83, 18},
    {ids::间隔滑块条, ParentKind::Pages, 0, kOptionBoxX + 1, kOptionBoxY + 73, 185, 17},
    {ids::标签6, ParentKind::Pages, 0, kOptionBoxX + 10, kOptionBoxY + 92, 62, 16},
    {ids::鼠标速度, ParentKind::Pages, 0, kOptionBoxX + 87, kOptionBoxY + 91, 83, 18},
    {ids::鼠标滑块条, ParentKind::Pages, 0, kOptionBoxX + 1, kOptionBoxY + 111, 185, 17},

    {ids::按钮1, ParentKind::Pages, 1, 116, 10, 168, 40},
    {ids::分组框2, ParentKind::Pages, 1, kNoteBoxX, kNoteBoxY, 384, 120},
    {ids::标签3, ParentKind::Pages, 1, kNoteBoxX + 10, kNoteBoxY + 14, 168, 104},
    {ids::标签4, ParentKind::Pages, 1, kNoteBoxX + 208, kNoteBoxY + 14, 168, 104},
};

}  // namespace

const ControlPlace* MainControlPlaces(int* count) {
  *count = static_cast<int>(std::size(kPlaces));
  return kPlaces;
}

const ControlPlace* FindControlPlace(int id) {
  for (const auto& place : kPlaces)
    if (place.id == id) return &place;
  return nullptr;
}
