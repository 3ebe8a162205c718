#pragma once

#include "platform/ShellInterfaces.h"

// The Trash as the target of a drop: each dropped file is moved to the Trash
// with its restore record, as the Delete verb does, without asking (dragging
// onto the Trash is deliberate). Only a move is offered, whatever keys are
// held; a drop of items that are in the Trash already, or that hold it,
// offers nothing. Failures are reported to the person, naming the item.

// A new drop target with one reference for the caller.
IDropTarget* NewTrashDropTarget();
