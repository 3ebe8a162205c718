#pragma once

#include <memory>
#include <string>
#include <vector>

// The file list's "Date taken" column: the moment a photo or a video was
// taken, as the file carries it or as the stamp command would write it. The
// list knows no photo format and no name scheme: the window installs a
// source of dates (TRzCustomShellList::SetTakenDates), and the list asks it
// off the window's thread.

enum class TTakenKind {
    None,        // no date, none to be written
    Carried,     // the file carries it
    ToBeWritten  // the stamp command would write it
};

struct TTakenDate {
    TTakenKind kind = TTakenKind::None;
    std::string moment;  // local "YYYY-MM-DD HH:MM:SS"; empty for None
    friend bool operator==(const TTakenDate&, const TTakenDate&) = default;
};

// The dates of one folder's files, read as the folder's names and the options
// of the moment say. Unchanged once made; its calls may come from any thread.
class ITakenDatesFolder {
  public:
    virtual ~ITakenDatesFolder() = default;
    // Reads the file `name` of the folder (only its first blocks). Never
    // throws: a file that cannot be read has no date.
    virtual TTakenDate DateOf(const std::string& name) const = 0;
    // Whether `other` reads every name as this one does.
    virtual bool ReadsAs(const ITakenDatesFolder& other) const = 0;
};

class ITakenDates {
  public:
    virtual ~ITakenDates() = default;
    // The dates of the folder at `path` holding the files `names`; called on
    // the window's thread whenever the folder or its names change.
    virtual std::shared_ptr<const ITakenDatesFolder> Folder(
        const std::string& path, const std::vector<std::string>& names) = 0;
};
