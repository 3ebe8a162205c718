#pragma once

#include "platform/ShellPrompts.h"

// The prompts in force: the installed ones, else the dialog-based default.
IShellPrompts& ShellPrompts();
// Installs prompts (null: back to the default); returns the previous ones
// (null when the default was in force). The caller keeps ownership.
IShellPrompts* SetShellPrompts(IShellPrompts* prompts);

// Installs prompts for as long as it lives (tests of the controls use it so
// that no verb waits for a dialog), then puts the previous ones back.
class TShellPromptsScope {
  public:
    explicit TShellPromptsScope(IShellPrompts& prompts) : previous_(SetShellPrompts(&prompts)) {}
    ~TShellPromptsScope() { SetShellPrompts(previous_); }
    TShellPromptsScope(const TShellPromptsScope&) = delete;
    TShellPromptsScope& operator=(const TShellPromptsScope&) = delete;

  private:
    IShellPrompts* previous_;
};
