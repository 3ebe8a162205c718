#pragma once

class QWidget;

// "Параметры": a small modal dialog over `parent` with the four run options
// (StampSettings.h), each a check box with a line saying what it does. OK
// stores them in the user's configuration; Cancel, Escape or closing the
// dialog changes nothing. Returns whether they were stored.
bool EditStampSettings(QWidget* parent);
