#include "platform/ShellClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/UriList.h"

namespace {

const QString kUriList = QStringLiteral("text/uri-list");
const QString kCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeCut = QStringLiteral("application/x-kde-cutselection");

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QClipboard* SystemClipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::clipboard()
               : nullptr;
}

}  // namespace

QMimeData* NewClipboardFilesData(const TClipboardFiles& files) {
    auto* data = new QMimeData;
    data->setData(kUriList, Bytes(WriteUriList(files.Paths)));
    data->setData(kCopiedFiles, Bytes(WriteCopiedFiles(files.Paths, files.Cut)));
    data->setData(kKdeCut, files.Cut ? "1" : "0");
    return data;
}

TClipboardFiles ClipboardFilesOf(const QMimeData& data) {
    TClipboardFiles files;
    if (data.hasFormat(kCopiedFiles) &&
        ReadCopiedFiles(Text(data.data(kCopiedFiles)), files.Paths, files.Cut))
        return files;
    files.Paths = ReadUriList(Text(data.data(kUriList)));
    files.Cut = data.data(kKdeCut) == "1";
    return files;
}

void PutFilesOnClipboard(const TClipboardFiles& files) {
    if (QClipboard* clipboard = SystemClipboard())
        clipboard->setMimeData(NewClipboardFilesData(files));
}

TClipboardFiles FilesOnClipboard() {
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    return data != nullptr ? ClipboardFilesOf(*data) : TClipboardFiles{};
}

void ClearClipboard() {
    if (QClipboard* clipboard = SystemClipboard())
        clipboard->clear();
}
