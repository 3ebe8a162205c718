#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Com.h"

// The questions and hand-overs of the namespace's verbs and drop targets that
// involve the person or the desktop: confirmations, name clashes, the
// right-button drop menu, opening with the default program, properties and
// error reports. DialogPrompts answers them with dialogs and the desktop's
// services; PromptsInForce says which answer: tests install their own so that
// nothing waits for a person or starts a program.

enum class TClashAnswer { Replace, Skip, KeepBoth, Cancel };

class IShellPrompts {
  public:
    // Whether to move these items (full paths) to the Trash, or to delete
    // them for good when `permanently`.
    virtual bool ConfirmDelete(const std::vector<std::string>& paths, bool permanently) = 0;
    // `target` exists already. Replace is offered only when `canReplace`
    // (never for folders); a Replace answer without it counts as Skip.
    virtual TClashAnswer AskClash(const std::string& target, bool canReplace) = 0;
    // The right-button drop menu: one of the DROPEFFECT_* bits in `allowed`,
    // `suggested` as its default, or DROPEFFECT_NONE for Cancel.
    virtual DWORD ChooseDropEffect(DWORD allowed, DWORD suggested) = 0;
    // Whether to open this many items at once (asked before opening many).
    virtual bool ConfirmOpen(std::size_t count) = 0;
    // Hands a file or folder to the desktop's default program; false when
    // nothing could take it.
    virtual bool OpenWithDefault(const std::string& path) = 0;
    // Starts the programs (argv[0] of each is looked up in PATH) without a
    // shell, off the UI thread and not waiting for them; one that cannot
    // start is reported later.
    virtual void StartPrograms(const std::vector<std::vector<std::string>>& commands) = 0;
    // Starts a program (argv[0] is looked up in PATH) without a shell, not
    // waiting for it; false when it could not start.
    virtual bool RunProgram(const std::vector<std::string>& argv) = 0;
    virtual void ShowProperties(const std::vector<std::string>& paths) = 0;
    // A verb failed; `text` says which item and why.
    virtual void ReportError(const std::string& text) = 0;

  protected:
    ~IShellPrompts() = default;
};
