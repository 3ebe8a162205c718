#include "framework/StreamErrors.h"

#include <QtGlobal>
#include <filesystem>
#include <system_error>

#include "framework/ProgramLanguage.h"

EFOpenError EFOpenError::CannotOpen(const std::string& fileName, int errorNumber) {
    return EFOpenError(
        Translated("StreamErrors", QT_TRANSLATE_NOOP("StreamErrors", "Cannot open %1.\r\n(%2.)"),
                   {fileName, SystemErrorText(errorNumber)}),
        fileName);
}

EFOpenError EFOpenError::ReadonlySave(const std::string& fileName) {
    return EFOpenError(
        Translated("StreamErrors",
                   QT_TRANSLATE_NOOP("StreamErrors", "Cannot save readonly file %1."), {fileName}),
        fileName);
}

EFCreateError EFCreateError::CannotCreate(const std::string& fileName, int errorNumber) {
    const std::string shown = ExpandFileName(fileName);
    EFCreateError error(
        Translated("StreamErrors",
                   QT_TRANSLATE_NOOP("StreamErrors", "Cannot create file \"%1\". %2"),
                   {shown, SystemErrorText(errorNumber)}),
        shown);
    error.errorNumber_ = errorNumber;
    return error;
}

EFCreateError EFCreateError::CannotCreateIn(const std::string& folder, int errorNumber,
                                            const std::string& cache, int cacheError) {
    const std::string shown = ExpandFileName(folder);
    EFCreateError error(
        Translated("StreamErrors",
                   QT_TRANSLATE_NOOP("StreamErrors",
                                     "Cannot create file in folder \"%1\". %2. The original "
                                     "cannot be kept in \"%3\" either: %4"),
                   {shown, SystemErrorText(errorNumber), cache, SystemErrorText(cacheError)}),
        shown);
    error.errorNumber_ = errorNumber;
    return error;
}

EReadError::EReadError()
    : EStreamError(
          Translated("StreamErrors", QT_TRANSLATE_NOOP("StreamErrors", "Stream read error"))) {}

EWriteError::EWriteError()
    : EStreamError(
          Translated("StreamErrors", QT_TRANSLATE_NOOP("StreamErrors", "Stream write error"))) {}

EWriteError EWriteError::InFile(const std::string& fileName, int errorNumber) {
    return EWriteError(
        EWriteError().Message() + ": " + fileName + ": " + SystemErrorText(errorNumber), fileName);
}

std::string SystemErrorText(int errorNumber) {
    return std::generic_category().message(errorNumber);
}

std::string ExpandFileName(const std::string& fileName) {
    if (fileName.empty())
        return fileName;
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(fileName, ignored);
    if (absolute.empty())
        return fileName;
    std::string expanded = absolute.lexically_normal().string();
    // lexically_normal keeps a trailing separator for "dir/."; a file name has none.
    if (expanded.size() > 1 && expanded.back() == '/')
        expanded.pop_back();
    return expanded;
}
