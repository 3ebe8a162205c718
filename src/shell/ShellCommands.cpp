#include "shell/ShellCommands.h"

namespace {

// Long enough for any canonical verb or help text the menus give.
constexpr UINT kTextCapacity = 260;

std::string CommandString(IContextMenu* menu, UINT id, UINT kind) {
    char text[kTextCapacity] = {};
    if (id < kFirstMenuCommand ||
        FAILED(menu->GetCommandString(id - kFirstMenuCommand, kind, nullptr, text, sizeof text)))
        return {};
    text[kTextCapacity - 1] = 0;
    return text;
}

}  // namespace

HRESULT InvokeMenuVerb(IContextMenu* menu, const char* verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

std::string MenuHelpText(IContextMenu* menu, UINT id) {
    return CommandString(menu, id, GCS_HELPTEXTA);
}

UINT MenuCommandOfVerb(IContextMenu* menu, const TShellMenu& entries, const std::string& verb) {
    for (const TShellMenuItem& entry : entries.Items)
        if (!entry.Separator && entry.Id >= kFirstMenuCommand &&
            CommandString(menu, entry.Id, GCS_VERBA) == verb)
            return entry.Id;
    return 0;
}
