#pragma once

#include <functional>
#include <string>

#include "platform/FileOperations.h"
#include "platform/ShellPrompts.h"

// File work that may take long (copying, moving or deleting many items or
// whole folders) runs in a worker thread while the UI thread keeps answering:
// repaints, the window manager, the folders' change notifications (so the
// list and the tree follow the work). Input to the program's windows goes
// nowhere until, after half a second, a progress dialog shows the files and
// bytes done, the current name and a Cancel button, holding the other
// windows modal.
//
// The work asks the person through the prompts it is handed: each question is
// put to `prompts` on the UI thread, and the worker waits for the answer.
//
// Without the application's event loop (a command-line run) or when called
// off the UI thread, the work runs right away on the calling thread.

// Runs `work` and returns once it is done. `caption` names the work in the
// progress dialog ("Copying"..., a text of the FileWork catalogue context,
// shown translated). `progress` is what the work reports to; its
// Cancel is the dialog's Cancel.
void RunFileWork(const std::string& caption, IShellPrompts& prompts, TOperationProgress& progress,
                 const std::function<void(IShellPrompts& asker)>& work);

// What an operation cut short (failed or cancelled) had done and left:
// "12 files done (3,482KB)."; empty when nothing was.
std::string DoneText(const TOperationProgress& progress);

// The report of work the person cancelled after part of it was done; empty
// when nothing was done.
std::string CancelledText(const TOperationProgress& progress);
