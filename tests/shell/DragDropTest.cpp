#include <sys/stat.h>

#include <QMimeData>
#include <deque>
#include <memory>

#include "ShellTestSupport.h"
#include "platform/DroppedPaths.h"
#include "platform/FileDropBlock.h"
#include "platform/FolderDropTarget.h"
#include "platform/MimeTransport.h"
#include "shell/DropSource.h"
#include "shell/ShellDataObject.h"
#include "shell/ShellDrag.h"
#include "shell/ShellIdListArray.h"
#include "shell/ShellPaths.h"

namespace {

using Lists = std::vector<std::string>;

std::string U32(std::uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

const std::uint8_t* Data(const std::string& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

// Reads a block from a heap copy of exactly its size, so that a read past it
// is caught by the sanitizer build.
bool ReadExact(const std::string& bytes, Lists& lists) {
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return ReadShellIdListArray(copy.get(), bytes.size(), lists);
}

TEST(ShellIdListArrayTest, Write_LaysOutCountOffsetsThenListsAndReadsBack) {
    // Well-formed items only: Home as the parent, then Trash and the root drive.
    OwnedIdList parent(MakeIdList({std::string("\x01\x01", 2)}));
    OwnedIdList first(MakeIdList({std::string("\x01\x03", 2)})),
        second(MakeIdList({std::string("\x02\x03/\0", 4)}));
    std::string block = WriteShellIdListArray(parent.Get(), {first.Get(), second.Get()});
    std::string expected = U32(2) + U32(16) + U32(22) + U32(28) +    // count, offsets
                           std::string("\x04\0\x01\x01\0\0", 6) +    // parent
                           std::string("\x04\0\x01\x03\0\0", 6) +    // item 1
                           std::string("\x06\0\x02\x03/\0\0\0", 8);  // item 2
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.size(), 4 * 2 + 8 + 6 + 6 + 8);

    Lists lists;
    ASSERT_TRUE(ReadExact(block, lists));
    EXPECT_EQ(lists, (Lists{IdListBytes(parent.Get()), IdListBytes(first.Get()),
                            IdListBytes(second.Get())}));
    EXPECT_EQ(WriteShellIdListArray(nullptr, {}), U32(0) + U32(8) + std::string(2, '\0'))
        << "a null parent is the desktop";
}

TEST(ShellIdListArrayTest, Read_RefusesEveryMalformedBlockWithoutReadingPastIt) {
    OwnedIdList item(
        MakeIdList({"\x03"
                    "a"}));
    std::string good = WriteShellIdListArray(nullptr, {item.Get()});  // 4+8 table, 2 + 6 lists
    auto patched = [&](std::size_t at, const std::string& bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    const struct {
        const char* what;
        std::string block;
    } cases[] = {
        {"count larger than the block", patched(0, U32(0x40000000))},
        {"count just too large for its table", patched(0, U32(4))},
        {"offset inside the table", patched(4, U32(4))},
        {"offset past the end", patched(8, U32(static_cast<std::uint32_t>(good.size())))},
        {"item size of one", patched(14, std::string("\x01\0", 2))},
        {"item running past the end", patched(14, std::string("\x40\0", 2))},
        {"list without its terminator", good.substr(0, good.size() - 2)},
    };
    Lists lists{"stale"};
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadExact(c.block, lists)) << c.what;
        EXPECT_TRUE(lists.empty()) << c.what;
    }
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ReadExact(good.substr(0, size), lists)) << "cut at " << size;
}

class DragDropTest : public ShellTest {
  protected:
    void SetUp() override {
        folderPath_ = MakeHomeFolder("drag");
        WriteFileBytes(folderPath_ + "/a.jpg", "a");
        WriteFileBytes(folderPath_ + "/b c.jpg", "b");
        *parent_.Out() = ListOf(folderPath_);
        ASSERT_EQ(BindToFolder(parent_.Get(), folder_), S_OK);
        for (const char* name : {"a.jpg", "b c.jpg"}) {
            LPITEMIDLIST item = nullptr;
            folder_->ParseDisplayName(0, nullptr, name, nullptr, &item, nullptr);
            items_.emplace_back(item);
        }
    }
    std::vector<LPCITEMIDLIST> Items() const {
        std::vector<LPCITEMIDLIST> items;
        for (const auto& item : items_)
            items.push_back(item.Get());
        return items;
    }
    // A data object held by one reference.
    ComPtr<IDataObject> NewData() {
        return ComPtr<IDataObject>::Share(
            new TDataObject_shlv(folder_.Get(), parent_.Get(), Items()));
    }
    std::string Block(IDataObject* data, UINT format) {
        std::string bytes;
        EXPECT_TRUE(ReadFormatBytes(data, static_cast<CLIPFORMAT>(format), bytes));
        return bytes;
    }

    std::string folderPath_;
    OwnedIdList parent_;
    ComPtr<IShellFolder> folder_;
    std::deque<OwnedIdList> items_;
};

TEST_F(DragDropTest, DataObject_OffersBothBlocksByteForByteInOrder) {
    ComPtr<IDataObject> data = NewData();
    EXPECT_EQ(Block(data.Get(), ShellIdListFormat()),
              WriteShellIdListArray(parent_.Get(), Items()));
    EXPECT_EQ(Block(data.Get(), CF_HDROP),
              WriteFileDropBlock({folderPath_ + "/a.jpg", folderPath_ + "/b c.jpg"}));

    ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Put()), S_OK);
    FORMATETC records[3];
    ULONG fetched = 0;
    EXPECT_EQ(formats->Next(3, records, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(records[0].cfFormat, ShellIdListFormat());
    EXPECT_EQ(records[1].cfFormat, CF_HDROP);
    for (const FORMATETC& record : {records[0], records[1]}) {
        EXPECT_EQ(record.ptd, nullptr);
        EXPECT_EQ(record.dwAspect, DVASPECT_CONTENT);
        EXPECT_EQ(record.lindex, -1);
        EXPECT_EQ(record.tymed, TYMED_HGLOBAL);
    }
}

TEST_F(DragDropTest, DataObject_AnswersEachMethodAsItsContractSays) {
    ComPtr<IDataObject> data = NewData();
    FORMATETC drop = HGlobalFormat(CF_HDROP);
    FORMATETC otherAspect = drop, otherMedium = drop, otherFormat = HGlobalFormat(2);
    otherAspect.dwAspect = 4;
    otherMedium.tymed = 4;
    EXPECT_EQ(data->QueryGetData(&drop), S_OK);
    EXPECT_EQ(data->QueryGetData(&otherAspect), DV_E_FORMATETC);
    EXPECT_EQ(data->QueryGetData(&otherMedium), DV_E_TYMED);
    EXPECT_EQ(data->QueryGetData(&otherFormat), DV_E_FORMATETC);
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&otherMedium, &medium), DV_E_TYMED);
    EXPECT_EQ(data->GetDataHere(&drop, &medium), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&drop, &medium, false), E_NOTIMPL);
    FORMATETC out{};
    out.ptd = reinterpret_cast<DVTARGETDEVICE*>(1);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&drop, &out), E_NOTIMPL);
    EXPECT_EQ(out.ptd, nullptr);
    IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(data->DAdvise(&drop, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(data->DUnadvise(0), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(data->EnumDAdvise(nullptr), OLE_E_ADVISENOTSUPPORTED);
    void* object = nullptr;
    EXPECT_EQ(data->QueryInterface(IID_IDropSource, &object), E_NOINTERFACE);
    ASSERT_EQ(data->QueryInterface(IID_IDataObject, &object), S_OK);
    EXPECT_EQ(static_cast<IDataObject*>(object)->Release(), 1u);
}

TEST_F(DragDropTest, ReferenceCounts_EnumeratorKeepsItsDataObjectAlive) {
    auto* data = new TDataObject_shtv(folder_.Get(), parent_.Get(), {Items()[0]});
    EXPECT_EQ(data->AddRef(), 1u) << "made with no reference";
    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    EXPECT_EQ(data->Release(), 1u) << "the enumerator holds the other reference";
    IEnumFORMATETC* clone = nullptr;
    EXPECT_EQ(formats->Skip(1), S_OK);
    ASSERT_EQ(formats->Clone(&clone), S_OK);
    EXPECT_EQ(formats->Release(), 0u);
    FORMATETC record{};
    EXPECT_EQ(clone->Next(1, &record, nullptr), S_OK);
    EXPECT_EQ(record.cfFormat, CF_HDROP);
    EXPECT_EQ(clone->Skip(1), S_FALSE);
    EXPECT_EQ(clone->Reset(), S_OK);
    EXPECT_EQ(clone->Skip(3), S_FALSE);
    EXPECT_EQ(clone->Next(1, &record, nullptr), S_FALSE);
    EXPECT_EQ(clone->Release(), 0u);  // frees the data object with it
}

TEST_F(DragDropTest, FileDropBlock_CarriesPathsLongerThanThe259CharacterLimit) {
    std::string deep = folderPath_;
    for (int i = 0; i < 3; ++i) {
        deep += "/" + std::string(120, 'd');
        mkdir(deep.c_str(), 0755);
    }
    WriteFileBytes(deep + "/photo.jpg", "x");
    OwnedIdList parent(ListOf(deep));
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToFolder(parent.Get(), folder), S_OK);
    OwnedIdList item;
    folder->ParseDisplayName(0, nullptr, "photo.jpg", nullptr, item.Out(), nullptr);
    auto data =
        ComPtr<IDataObject>::Share(new TDataObject_shlv(folder.Get(), parent.Get(), {item.Get()}));
    std::string block = Block(data.Get(), CF_HDROP);
    std::vector<std::string> names;
    ASSERT_TRUE(ReadFileDropBlock(Data(block), block.size(), names));
    ASSERT_GT((deep + "/photo.jpg").size(), 259u);
    EXPECT_EQ(names, std::vector<std::string>{deep + "/photo.jpg"});
    EXPECT_EQ(block.size(), 20 + names[0].size() + 2);
}

TEST(DropSourceTest, GoesOnWhileItsButtonIsHeldAndCancelsOnEscapeOrAnotherButton) {
    const struct {
        int button;
        bool escape;
        DWORD keys;
        HRESULT expected;
    } cases[] = {
        {0, false, MK_LBUTTON, S_OK},
        {0, false, MK_LBUTTON | MK_CONTROL | MK_SHIFT, S_OK},
        {0, false, 0, DRAGDROP_S_DROP},
        {0, true, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {0, false, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {1, false, MK_RBUTTON, S_OK},
        {1, false, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {2, false, MK_MBUTTON, S_OK},
        {2, false, MK_CONTROL, DRAGDROP_S_DROP},
    };
    for (const auto& c : cases) {
        auto source = ComPtr<TDropSource_shlvtv>::Share(new TDropSource_shlvtv(c.button));
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.expected)
            << c.button << " " << c.keys;
        EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    }
}

TEST_F(DragDropTest, Transport_CarriesOurFormatsAndUrisAndLandsInAFolder) {
    std::unique_ptr<QMimeData> mime(NewDragMimeData(folder_.Get(), parent_.Get(), Items()));
    EXPECT_TRUE(mime->hasFormat("Shell IDList Array"));
    EXPECT_TRUE(mime->hasFormat("CF_HDROP"));
    EXPECT_EQ(mime->data("text/uri-list").toStdString(),
              "file://" + folderPath_ + "/a.jpg\r\nfile://" + folderPath_ + "/b%20c.jpg\r\n");

    auto dropped = ComPtr<IDataObject>(NewDataObjectFromMimeData(*mime));
    EXPECT_EQ(DraggedItemsEffects(dropped.Get()),
              DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    std::string target = MakeHomeFolder("drop");
    auto folderTarget = ComPtr<IDropTarget>(NewFolderDropTarget(target));
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(folderTarget->Drop(dropped.Get(), 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    EXPECT_EQ(ReadFileBytes(target + "/b c.jpg"), "b");

    QMimeData fromOtherProgram, forged;
    fromOtherProgram.setData("text/uri-list", mime->data("text/uri-list"));
    auto foreign = ComPtr<IDataObject>(NewDataObjectFromMimeData(fromOtherProgram));
    EXPECT_EQ(DraggedItemsEffects(foreign.Get()),
              DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    EXPECT_EQ(DroppedPaths(foreign.Get()).size(), 2u);
    forged.setData("Shell IDList Array", QByteArray("\xFF\xFF\xFF\x7F", 4));
    auto bad = ComPtr<IDataObject>(NewDataObjectFromMimeData(forged));
    EXPECT_EQ(DraggedItemsEffects(bad.Get()), DROPEFFECT_NONE);
}

}  // namespace
