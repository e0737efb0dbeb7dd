#include "fakes/fake_view.h"

#include <algorithm>

void FakeView::SetCaption(const std::string& text) {
  caption = text;
  captions.push_back(text);
}

void FakeView::PlaceAt(int newLeft, int newTop) {
  left = newLeft;
  top = newTop;
  placements.emplace_back(newLeft, newTop);
}

void FakeView::SetAlwaysOnTop(bool on) {
  alwaysOnTop = on;
  topmostSwitches.push_back(on);
}

void FakeView::ShowPage(int newPage) {
  page = std::clamp(newPage, 0, 1);
  pagesShown.push_back(page);
}

// LB_SETCURSEL as the program relies on it: past the end goes to the last item, below -1 to -1.
void FakeView::SelectTask(int index) {
  const int last = static_cast<int>(tasks.size()) - 1;
  selected = std::clamp(index, -1, last);
}

std::string FakeView::TaskName(int index) {
  if (index < 0 || index >= static_cast<int>(tasks.size())) return std::string();
  return tasks[static_cast<std::size_t>(index)];
}

void FakeView::RemoveTask(int index) {
  if (index < 0 || index >= static_cast<int>(tasks.size())) return;
  tasks.erase(tasks.begin() + index);
  if (selected == index) {
    selected = -1;
  } else if (selected > index) {
    --selected;
  }
}

void FakeView::SetIntervalPosition(int position) {
  intervalPosition = std::clamp(position, 0, 32767);
}

void FakeView::SetStatusText(const std::string& text) {
  statusText = text;
  statusTexts.push_back(text);
}
