#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/MovieBoxes.h"

// Generated videos: box layouts as phones and cameras write them, with the
// place of every time field known, so that tests compare what the reader
// finds with what was built. (The video benchmark makes its files with it
// too.)

// Bytes with the time fields that lie in them (offsets relative to the bytes).
struct MoviePiece {
    std::string bytes;
    std::vector<TMovieTimeField> fields;

    MoviePiece& operator+=(const MoviePiece& next) {
        for (TMovieTimeField field : next.fields) {
            field.offset += static_cast<std::int64_t>(bytes.size());
            fields.push_back(field);
        }
        bytes += next.bytes;
        return *this;
    }
};

inline MoviePiece operator+(MoviePiece first, const MoviePiece& second) {
    return first += second;
}

inline std::string BigEndianBytes(std::uint64_t value, int width) {
    std::string bytes;
    for (int i = width - 1; i >= 0; --i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

// How a box states its size: 32 bits, 64 bits after the type, or 0 (to the
// end of the file).
enum class BoxSize { k32, k64, kToEnd };

inline MoviePiece MovieBox(const std::string& type, const std::vector<MoviePiece>& children,
                           BoxSize size = BoxSize::k32) {
    MoviePiece contents;
    for (const MoviePiece& child : children)
        contents += child;
    const std::uint64_t headerLength = size == BoxSize::k64 ? 16 : 8;
    const std::uint64_t total = headerLength + contents.bytes.size();
    MoviePiece box;
    box.bytes = BigEndianBytes(size == BoxSize::k64      ? 1
                               : size == BoxSize::kToEnd ? 0
                                                         : total,
                               4) +
                type;
    if (size == BoxSize::k64)
        box.bytes += BigEndianBytes(total, 8);
    box += contents;
    return box;
}

inline MoviePiece RawPiece(const std::string& bytes) {
    return {bytes, {}};
}

// An mvhd, tkhd or mdhd of the given version, as long as its version needs,
// its creation and modification times set as given.
inline MoviePiece TimeHeaderBox(const std::string& type, int version, std::uint64_t creation,
                                std::uint64_t modification) {
    const int width = version == 0 ? 4 : 8;
    const int contents = type == "mvhd" ? 100 : type == "tkhd" ? 84 : 24;
    MoviePiece body{std::string(1, static_cast<char>(version)) + std::string(3, '\0') +
                        BigEndianBytes(creation, width) + BigEndianBytes(modification, width),
                    {{4, width, creation}, {4 + width, width, modification}}};
    body.bytes.resize(static_cast<std::size_t>(contents + (version == 0 ? 0 : 12)), '\x01');
    return MovieBox(type, {body});
}

inline MoviePiece TrackBox(int version, std::uint64_t time) {
    return MovieBox(
        "trak",
        {TimeHeaderBox("tkhd", version, time, time),
         MovieBox("edts", {MovieBox("free", {RawPiece("edit list")})}),
         MovieBox("mdia",
                  {TimeHeaderBox("mdhd", version, time, time),
                   MovieBox("hdlr", {RawPiece(std::string(25, '\0'))}),
                   MovieBox("minf", {MovieBox("free", {RawPiece(std::string(64, 's'))})})})});
}

struct MovieLayout {
    bool moovFirst = true;
    int version = 0;
    BoxSize moovSize = BoxSize::k32;
    BoxSize mdatSize = BoxSize::k32;
    int tracks = 1;
    bool freeBetween = false;  // a free box between moov and mdat
    bool uuidBox = false;      // a uuid box after ftyp
    bool ftyp = true;          // false: an old QuickTime movie, a wide box in its place
    std::string majorBrand = "isom";
    std::string compatibleBrands = "isommp41";
    std::uint64_t time = 0;  // every time field's value
};

// The moov box of a layout.
inline MoviePiece MakeMoov(const MovieLayout& layout) {
    std::vector<MoviePiece> children{
        TimeHeaderBox("mvhd", layout.version, layout.time, layout.time)};
    for (int i = 0; i < layout.tracks; ++i)
        children.push_back(TrackBox(layout.version, layout.time));
    children.push_back(MovieBox("udta", {MovieBox("free", {RawPiece("user data")})}));
    return MovieBox("moov", children, layout.moovSize);
}

inline MoviePiece MakeFtyp(const MovieLayout& layout) {
    return MovieBox("ftyp",
                    {RawPiece(layout.majorBrand + BigEndianBytes(0, 4) + layout.compatibleBrands)});
}

inline MoviePiece MakeMovie(const MovieLayout& layout) {
    MoviePiece moov = MakeMoov(layout);
    MoviePiece mdat = MovieBox("mdat", {RawPiece(std::string(200, '\x7F'))}, layout.mdatSize);
    MoviePiece movie = layout.ftyp ? MakeFtyp(layout) : MovieBox("wide", {});
    if (layout.uuidBox)
        movie += MovieBox("uuid", {RawPiece(std::string(16, 'u') + "extended")});
    movie += layout.moovFirst ? moov : mdat;
    if (layout.freeBetween)
        movie += MovieBox("free", {RawPiece(std::string(32, '\0'))});
    movie += layout.moovFirst ? mdat : moov;
    return movie;
}
