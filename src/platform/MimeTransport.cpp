#include "platform/MimeTransport.h"

#include <QMimeData>
#include <algorithm>

#include "platform/FileDropBlock.h"
#include "platform/UriList.h"

namespace {

class TBlockDataObject final : public TComObject<IDataObject, IID_IDataObject> {
  public:
    explicit TBlockDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> blocks)
        : TComObject(1), blocks_(std::move(blocks)) {}

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
        HRESULT hr = QueryGetData(format);
        if (FAILED(hr))
            return hr;
        if (medium == nullptr)
            return E_POINTER;
        const std::string& bytes = Find(format->cfFormat)->second;
        *medium = {TYMED_HGLOBAL, GlobalFromBytes(bytes.data(), bytes.size()), nullptr};
        return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT QueryGetData(FORMATETC* format) override {
        if (format == nullptr)
            return E_POINTER;
        if (format->dwAspect != DVASPECT_CONTENT || Find(format->cfFormat) == blocks_.end())
            return DV_E_FORMATETC;
        return format->tymed & TYMED_HGLOBAL ? S_OK : DV_E_TYMED;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, bool) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  private:
    ~TBlockDataObject() = default;
    using Blocks = std::vector<std::pair<CLIPFORMAT, std::string>>;
    Blocks::const_iterator Find(CLIPFORMAT format) const {
        return std::find_if(blocks_.begin(), blocks_.end(),
                            [&](const auto& block) { return block.first == format; });
    }

    Blocks blocks_;
};

std::vector<CLIPFORMAT> TravellingFormats() {
    return {static_cast<CLIPFORMAT>(ShellIdListFormat()), CF_HDROP,
            static_cast<CLIPFORMAT>(UriListFormat())};
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

UINT ShellIdListFormat() {
    static const UINT format = RegisterClipboardFormatA("Shell IDList Array");
    return format;
}

UINT UriListFormat() {
    static const UINT format = RegisterClipboardFormatA("text/uri-list");
    return format;
}

IDataObject* NewBlockDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> blocks) {
    return new TBlockDataObject(std::move(blocks));
}

QMimeData* NewMimeDataFromDataObject(IDataObject* data) {
    auto* mime = new QMimeData;
    std::string bytes;
    for (CLIPFORMAT format : TravellingFormats())
        if (ReadFormatBytes(data, format, bytes))
            mime->setData(QString::fromStdString(ClipboardFormatName(format)), Bytes(bytes));
    std::vector<std::string> names;
    const QByteArray drop = mime->data(QStringLiteral("CF_HDROP"));
    if (!mime->hasFormat(QStringLiteral("text/uri-list")) &&
        ReadFileDropBlock(reinterpret_cast<const std::uint8_t*>(drop.constData()),
                          static_cast<std::size_t>(drop.size()), names)) {
        std::erase_if(names, [](const std::string& name) { return !name.starts_with('/'); });
        mime->setData(QStringLiteral("text/uri-list"), Bytes(WriteUriList(names)));
    }
    return mime;
}

IDataObject* NewDataObjectFromMimeData(const QMimeData& mime) {
    std::vector<std::pair<CLIPFORMAT, std::string>> blocks;
    for (CLIPFORMAT format : TravellingFormats()) {
        QString name = QString::fromStdString(ClipboardFormatName(format));
        if (mime.hasFormat(name))
            blocks.emplace_back(format, mime.data(name).toStdString());
    }
    return NewBlockDataObject(std::move(blocks));
}
