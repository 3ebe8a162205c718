#include "platform/PromptsInForce.h"

#include <utility>

#include "platform/DialogPrompts.h"

namespace {

IShellPrompts* installed = nullptr;

}  // namespace

IShellPrompts& ShellPrompts() {
    return installed != nullptr ? *installed : DialogPrompts();
}

IShellPrompts* SetShellPrompts(IShellPrompts* prompts) {
    return std::exchange(installed, prompts);
}
