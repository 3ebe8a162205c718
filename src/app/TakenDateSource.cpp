#include "app/TakenDateSource.h"

#include <sys/stat.h>

#include <ctime>
#include <exception>
#include <mutex>

#include "app/ExifDates.h"
#include "app/JpegSegments.h"
#include "app/MovieBoxes.h"
#include "app/PhotoFolder.h"
#include "app/PhotoName.h"
#include "app/StampSettings.h"
#include "framework/FileUtils.h"

namespace {

// Files larger than this are not photos; videos may be of any size (only
// their box headers are read).
constexpr long long kLargestPhoto = 1LL << 31;
constexpr long long kAnySize = 1LL << 62;
// A photo's segments before its image data mostly fit in the first block.
constexpr int kHeadBlockBytes = 4096;

// "YYYY:MM:DD HH:MM:SS" as the column shows it: "YYYY-MM-DD HH:MM:SS".
std::string ShownMoment(std::string exifText) {
    exifText[4] = exifText[7] = '-';
    return exifText;
}

std::string LocalMoment(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return ShownMoment(DateText({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                 local.tm_hour, local.tm_min, local.tm_sec}));
}

bool EndsWithNoCase(const std::string& name, std::string_view end) {
    if (name.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

// A folder's dates. The order its camera-phone names are read in takes a
// look at every name, so it is settled on the first need, off the window's
// thread when a date asks for it first.
class TFolderDates final : public ITakenDatesFolder {
  public:
    TFolderDates(std::string path, TStampOptions options, std::vector<std::string> names)
        : path_(std::move(path)), options_(std::move(options)), names_(std::move(names)) {}

    TTakenDate DateOf(const std::string& name) const override {
        try {
            if (IsVideoName(name))
                return VideoDate(name);
            if (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg") ||
                HasSchemeForm(name, options_.names))
                return PhotoDate(name);
        } catch (const std::exception&) {
            // A file that cannot be read has no date.
        }
        return {};
    }

    bool ReadsAs(const ITakenDatesFolder& other) const override {
        const auto* dates = dynamic_cast<const TFolderDates*>(&other);
        return dates != nullptr && dates->path_ == path_ && dates->Order() == Order() &&
               dates->options_.names.all == options_.names.all &&
               dates->options_.videos == options_.videos;
    }

  private:
    TDayOrder Order() const {
        std::call_once(orderSettled_, [this] {
            order_ = FolderDayOrder(names_, options_.names).value_or(TDayOrder::DayFirst);
        });
        return order_;
    }

    TTakenDate PhotoDate(const std::string& name) const {
        struct stat facts;
        TFileHandle file = OpenRegularFile(path_ + "/" + name, kLargestPhoto, facts);
        if (!file.Valid())
            return {};
        const TFileHead head(file.Get(), facts.st_size, path_ + "/" + name, kHeadBlockBytes);
        if (std::optional<std::string> carried = ExifDateTaken(head))
            return {TTakenKind::Carried, ShownMoment(*carried)};
        if (!IsStampableHead(head))
            return {};
        const TNameReading reading = ReadPhotoName(name, {facts.st_mtime, Order()}, options_.names);
        if (!reading.shot)
            return {};
        return {TTakenKind::ToBeWritten, ShownMoment(DateText(*reading.shot))};
    }

    TTakenDate VideoDate(const std::string& name) const {
        struct stat facts;
        TFileHandle file = OpenRegularFile(path_ + "/" + name, kAnySize, facts);
        TMovieTimes times;
        if (!file.Valid() || !ReadMovieTimes(file.Get(), facts.st_size, times))
            return {};
        if (times.Creation() != 0)
            return {TTakenKind::Carried,
                    LocalMoment(static_cast<std::time_t>(UnixTimeFromMovie(times.Creation())))};
        if (!options_.videos)
            return {};
        const TNameReading reading =
            ReadPhotoName(name, {facts.st_mtime, Order()}, options_.names, TNameKind::Video);
        if (!reading.shot)
            return {};
        const std::uint64_t moment = MovieTimeFromUnix(reading.instant);
        if (!NeedsDating(times, moment) || !MomentFits(times, moment))
            return {};
        return {TTakenKind::ToBeWritten, ShownMoment(DateText(*reading.shot))};
    }

    const std::string path_;
    const TStampOptions options_;
    const std::vector<std::string> names_;
    mutable std::once_flag orderSettled_;
    mutable TDayOrder order_ = TDayOrder::DayFirst;
};

class TTakenDateSource final : public ITakenDates {
  public:
    std::shared_ptr<const ITakenDatesFolder> Folder(
        const std::string& path, const std::vector<std::string>& names) override {
        return std::make_shared<TFolderDates>(path, StampOptionsInForce(), names);
    }
};

}  // namespace

std::shared_ptr<ITakenDates> MakeTakenDateSource() {
    return std::make_shared<TTakenDateSource>();
}
