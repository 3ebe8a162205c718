#pragma once

// How assistive tools (screen readers) see the program's own controls,
// through the widget toolkit's accessibility framework. The window of each
// control and each windowless control inside it is an accessible object:
// the toolbar is a tool bar of push buttons (named by their caption, or by
// their tip when they have none, and pressed by their press action) and
// separators; the status bar is a status bar of labels that read what they
// show, separators and the progress bar (its range and position are its
// value); the splitter is a splitter and the form a window. A window's
// children read top to bottom, left to right; hidden controls are marked
// invisible, and the toolkit's own widgets (a control's views) are read
// while they show.

// Installs the interfaces of our controls into the accessibility framework
// and has the chrome's changes told to listening tools. Call it before the
// first window shows: the toolkit makes a widget's interface when it first
// shows it.
void InstallChromeAccessibility();
