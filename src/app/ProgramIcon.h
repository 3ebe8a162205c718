#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a landscape photo with a date imprinted in its corner.
// One drawing serves every size, from the 16-pixel menu entry to the 256-pixel
// launcher picture; smaller sizes leave out the finer details. The window
// shows it, and the build writes it as the installed hicolor icons.

// The icon drawn at `size` x `size` pixels on a transparent background.
QImage DrawProgramIcon(int size);

// The icon at the sizes a desktop asks for (16 to 256).
QIcon ProgramIcon();

// The sizes installed under the hicolor theme.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
