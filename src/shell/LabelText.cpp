#include "shell/LabelText.h"

namespace {

// Length of the valid UTF-8 sequence at bytes[i], 0 when there is none.
std::size_t Utf8SequenceAt(const std::string& bytes, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || i + length > bytes.size())
        return 0;
    // The second byte's range rules out overlong forms, surrogates and
    // values past U+10FFFF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = i + 2; k < i + length; ++k)
        if ((at(k) & 0xC0) != 0x80)
            return 0;
    return length;
}

// The byte of a "\xHH" escape as ReadableText writes it (upper-case hex,
// 80 to FF) at text[i], or -1.
int EscapedByteAt(const std::string& text, std::size_t i) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    if (i + 4 > text.size() || text[i] != '\\' || text[i + 1] != 'x')
        return -1;
    const int high = hex(text[i + 2]), low = hex(text[i + 3]);
    return high >= 8 && low >= 0 ? high * 16 + low : -1;
}

}  // namespace

QString ReadableText(const std::string& bytes) {
    QString text;
    std::size_t run = 0;  // start of the valid run not yet appended
    auto flush = [&](std::size_t end) {
        text += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(end - run));
    };
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length = Utf8SequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        flush(i);
        text += QString::asprintf("\\x%02X", static_cast<unsigned char>(bytes[i]));
        run = ++i;
    }
    flush(bytes.size());
    return text;
}

std::string EditedName(const std::string& editingName, const QString& text) {
    const QString shown = ReadableText(editingName);
    if (text == shown)
        return editingName;
    // A name shown as it is has no escapes: "\x" in it is text.
    const std::string typed = text.toStdString();
    if (shown.toStdString() == editingName)
        return typed;
    // The escapes ReadableText wrote stand for their bytes still: an edit
    // elsewhere in the name keeps them.
    std::string name;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const int byte = EscapedByteAt(typed, i);
        if (byte < 0) {
            name += typed[i];
            continue;
        }
        name += static_cast<char>(byte);
        i += 3;
    }
    return name;
}
