#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/NamePattern.h"

// The moment a photo's name carries. Phones and messengers name photos after
// the moment of the shot in a handful of schemes; the table of schemes lives
// in PhotoName.cpp, one row each (its pattern, see NamePattern.h; its time
// zone rule; its name), and serves every place that reads names: the stamp
// command, its dry run and whatever shows a photo's date.
//
// The camera phones' scheme, DD-MM-YY_HHMM followed by anything, is always in
// force; the others only when asked for (TNameSchemes::all). Their names end
// in .jpg or .jpeg, with anything after the date part that does not start
// with a digit ("_1", " (2)", "~2", "-edited"); letters match either case.
// Videos are named in the same schemes (TNameKind::Video).
//
// A name is passed over - it gives no date - when its date or time does not
// exist, its year is before 1990, or its moment lies after now: a wrong date
// is worse than none. A two-digit year is 20YY, or 19YY when 20YY gives a
// date after today.

// A moment as local date and time.
struct TShotTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const TShotTime&) const = default;
};

// The EXIF date text "YYYY:MM:DD HH:MM:SS" (19 bytes, no NUL).
std::string DateText(const TShotTime& shot);

// How a folder's camera-phone names are read. Phones wrote the same shape
// day first or month first; a folder is read month first when some of its
// names are real dates only month first and none only day first, day first
// when nothing says otherwise, and in both orders (Mixed) when it holds
// names of both kinds: each name then in the one order it makes sense in,
// and a name that makes sense both ways is passed over.
enum class TDayOrder { DayFirst, MonthFirst, Mixed };
// "day first", "month first", "day first and month first"; the texts are the
// source texts of the command line's catalogue (context StampCli).
const char* DayOrderText(TDayOrder order);

// Why a name of a scheme in force gives no date.
enum class TNamePass { NoSuchMoment, BeforeEarliest, AfterNow, DayOrMonth };
// The reason as the program words it ("day and month cannot be told apart"),
// a source text of the command line's catalogue (context StampCli).
const char* NamePassText(TNamePass pass);

// The schemes in force and the moment they are read at (by default, the
// moment the object was made).
struct TNameSchemes {
    bool all = false;  // every scheme of the table
    // The user's pattern. It comes first: a name of its form is read by it
    // alone (dated or passed over), the table reads the others.
    std::optional<TNamePattern> own;
    std::time_t now = std::time(nullptr);
};

// Which names a reading takes. Photos: names ending in .jpg or .jpeg, and
// any name of the camera phones' scheme. Videos: names ending in .3gp, .3g2,
// .mp4, .m4v or .mov, in every scheme; Android's and WhatsApp's videos begin
// VID where their photos begin IMG.
enum class TNameKind { Photo, Video };

// True when the name ends in .jpg or .jpeg (either case).
bool IsPhotoName(const std::string& name);
// True when the name ends in one of a video's extensions.
bool IsVideoName(const std::string& name);

// The file a name belongs to.
struct TNameContext {
    std::time_t modified = 0;  // its modification time (for date-only names)
    TDayOrder order = TDayOrder::DayFirst;
};

// What a name says: the scheme it has the form of (empty when none in force)
// and either the local moment to write or why there is none.
struct TNameReading {
    std::string scheme;
    std::optional<TShotTime> shot;
    std::time_t instant = 0;                   // the shot's moment, when shot
    TNamePass pass = TNamePass::NoSuchMoment;  // when !shot
};

// Reads a file name (the last component of its path). A name of the user's
// pattern's form is the pattern's; of the others, the first scheme in force
// that dates it wins, and when none does, the first whose form it has says
// why.
TNameReading ReadPhotoName(const std::string& name, const TNameContext& file,
                           const TNameSchemes& schemes, TNameKind kind = TNameKind::Photo);

// True when the name has the form of a scheme in force (dated or not).
bool HasSchemeForm(const std::string& name, const TNameSchemes& schemes,
                   TNameKind kind = TNameKind::Photo);

// The order of a folder's camera-phone names (see TDayOrder), given all the
// names of the folder; nullopt when it holds none. Names the user's pattern
// reads are not camera-phone names.
std::optional<TDayOrder> FolderDayOrder(const std::vector<std::string>& names,
                                        const TNameSchemes& schemes);

// The table's schemes in order, for texts that list them.
struct TNameSchemeInfo {
    const char* name;
    const char* example;
    bool byDefault;  // in force without TNameSchemes::all
};
std::vector<TNameSchemeInfo> NameSchemes();
