#pragma once

#include <memory>

#include "shell/TakenDates.h"

// The dates of the file list's "Date taken" column, read as the stamp command
// reads its files, with the options in force when a folder is shown
// (StampOptionsInForce):
//  - a JPEG with an EXIF segment: the date that segment carries
//    (ExifDateTaken), whoever wrote it;
//  - a photo the command would stamp (a plain JPEG starting with APP0 whose
//    name gives a date in the folder's day or month order): the date it
//    would write, to be written;
//  - a video (with the videos option or not): its movie header's creation
//    time in local time when set; else, with the option, the moment its name
//    gives when the command would date it, to be written;
//  - anything else: none.
// Only the file's first blocks and its movie box headers are read, through
// one descriptor; a file that cannot be read has no date.
std::shared_ptr<ITakenDates> MakeTakenDateSource();
