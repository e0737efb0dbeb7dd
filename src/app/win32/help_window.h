#pragma once

class MainView;

// The click handler of the main window's Help button: the help text in a modal window.
void ShowHelp(MainView& view);
