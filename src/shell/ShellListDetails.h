#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/ShellInterfaces.h"

class TRzCustomListView;
struct TListColumn;
class TRzShellListData;

// Detail columns of the file list: where they come from, their widths, and
// the cell texts.
//
// Saved widths: one process-wide block, shared by every list, holding the
// last saved column widths:
//   count N   u32 little-endian (the number of columns when saved)
//   widths    N x u32 little-endian, in column order
// A rebuild of a column set of the same shape takes them back, so widths the
// user set carry over from folder to folder and from list to list.

// Presents a folder's IShellFolder2 columns as IShellDetails, stopping at the
// first column the folder does not show by default. Holds one reference to
// the folder; frees itself at its last Release.
class TShellFolder2ToShellDetailsAdapter final : public IShellDetails {
  public:
    explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDetailsOf(LPCITEMIDLIST item, UINT column, SHELLDETAILS* details) override;
    HRESULT ColumnClick(UINT) override { return E_NOTIMPL; }

  private:
    ~TShellFolder2ToShellDetailsAdapter() override;

    std::atomic<ULONG> references_{1};
    IShellFolder2* folder_;
};

// The folder's details object: IShellFolder2 through the adapter when its
// column probe works, else IShellDetails from the folder or its view object;
// none when it offers neither.
ComPtr<IShellDetails> FetchShellDetails(IShellFolder* folder);

// Rebuilds the columns as the four built-in ones (Name 200, Size 60 right,
// Type 100, Modified 120), taking saved widths when the shape matches.
void BuildBuiltInColumns(TRzCustomListView& list);
// Rebuilds the columns from the details object, 7 pixels per character of the
// width each suggests, followed by `extra`, or the saved widths for a folder
// with a path. Returns whether the widths may be saved (the folder has a
// path).
bool BuildDetailsColumns(TRzCustomListView& list, IShellDetails* details,
                         const std::string& folderPath, const std::vector<TListColumn>& extra = {});

void SaveColumnWidths(const TRzCustomListView& list);
// Gives the saved widths back to the columns; the block's count limits how
// many.
void RestoreColumnWidths(TRzCustomListView& list);
bool HaveSavedColumnWidths();
// Forgets the saved widths and the default-width memory.
void ForgetSavedColumnWidthsForTest();

// The built-in texts of columns 1 to 3 (size, type, modified), computed
// together once per record and kept in it.
void FillBuiltInDetails(TRzShellListData& record, ULONG attributes);

// A details-object cell; "" when the folder cannot give it.
std::string DetailsText(IShellDetails* details, LPCITEMIDLIST item, UINT column);
