#include "platform/UriList.h"

#include <cctype>

namespace {

bool KeptLiterally(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}

// The older URI rules' unreserved marks and the characters a path segment may
// hold as they are.
bool KeptInCanonicalPath(unsigned char c) {
    return KeptLiterally(c) ||
           (c != 0 &&
            std::string_view("!*'():@&=+$,").find(static_cast<char>(c)) != std::string_view::npos);
}

std::string EncodedFileUri(std::string_view path, bool (*kept)(unsigned char)) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (kept(c)) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Percent-decodes; false for a malformed escape or an escaped NUL.
bool Decode(std::string_view text, std::string& decoded) {
    decoded.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0 || (high | low) == 0)
            return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// The local path of one URI line, or empty.
std::string LocalPathOf(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.size() < kScheme.size() || uri.substr(0, kScheme.size()) != kScheme)
        return {};
    uri.remove_prefix(kScheme.size());
    if (uri.substr(0, 9) == "localhost")
        uri.remove_prefix(9);
    std::string path;
    if (!uri.starts_with('/') || uri.find('\0') != std::string_view::npos || !Decode(uri, path))
        return {};
    return path;
}

// Splits at LF, dropping a CR before it.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string JoinUris(const std::vector<std::string>& paths, const char* separator) {
    std::string text;
    for (const std::string& path : paths)
        text += FileUri(path) + separator;
    return text;
}

}  // namespace

std::string FileUri(std::string_view path) {
    return EncodedFileUri(path, KeptLiterally);
}

std::string CanonicalFileUri(std::string_view path) {
    return EncodedFileUri(path, KeptInCanonicalPath);
}

std::string WriteUriList(const std::vector<std::string>& paths) {
    return JoinUris(paths, "\r\n");
}

std::vector<std::string> ReadUriList(std::string_view text) {
    std::vector<std::string> paths;
    for (std::string_view line : Lines(text)) {
        if (line.starts_with('#'))
            continue;
        std::string path = LocalPathOf(line);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

std::string WriteCopiedFiles(const std::vector<std::string>& paths, bool cut) {
    std::string text = JoinUris(paths, "\n");
    if (!text.empty())
        text.pop_back();
    return (cut ? "cut\n" : "copy\n") + text;
}

bool ReadCopiedFiles(std::string_view text, std::vector<std::string>& paths, bool& cut) {
    paths.clear();
    std::size_t end = text.find('\n');
    std::string_view verb = text.substr(0, end);
    if (verb.ends_with('\r'))
        verb.remove_suffix(1);
    if (verb != "copy" && verb != "cut")
        return false;
    cut = verb == "cut";
    if (end != std::string_view::npos)
        paths = ReadUriList(text.substr(end + 1));
    return true;
}
