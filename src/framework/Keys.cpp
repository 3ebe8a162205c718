#include "framework/Keys.h"

#include <QString>
#include <Qt>

std::uint16_t VirtualKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_F2:
            return VK_F2;
        default:
            break;
    }
    if (qtKey == Qt::Key_Space || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
        (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return static_cast<std::uint16_t>(qtKey);
    return 0;
}

TShiftState ShiftStateOf(int qtModifiers, int qtButtons) {
    const auto modifiers = Qt::KeyboardModifiers::fromInt(qtModifiers);
    const auto buttons = Qt::MouseButtons::fromInt(qtButtons);
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

bool IsAccel(char32_t ch, std::string_view caption) {
    const QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    for (qsizetype i = text.indexOf(u'&'); i >= 0 && i + 1 < text.size();
         i = text.indexOf(u'&', i + 2)) {
        if (text[i + 1] != u'&')
            return QString(text[i + 1]).compare(QString::fromUcs4(&ch, 1), Qt::CaseInsensitive) ==
                   0;
    }
    return false;
}

std::string StripAccel(std::string_view caption) {
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        text += caption[i];
    }
    return text;
}
