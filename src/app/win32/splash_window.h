#pragma once
#include <string>

class MainView;

// The picture window shown at start-up and as the About box. Its tag, kept between showings,
// tells the two apart: "关于" keeps it open until the user closes it; any other tag closes it
// after three seconds.
void SetSplashTag(const std::string& tag);
// Shows the window modally; returns when it has closed.
void ShowSplash();
// The click handler of the main window's About button.
void ShowAbout(MainView& view);
