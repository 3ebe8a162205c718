#pragma once

#include <QImage>

class TImageList;

// The toolbar's ten 16 x 16 pictures, in the order the buttons index them:
// 0 documents with an arrow (stamp), 1 an open door with an arrow (exit),
// 2 an information sign (author), 4 a window with large icons, 6 a window with
// small coloured icons, 8 a window with lines of text (the three views); each
// is followed by its grey copy. The pictures are hand-drawn XPM data in
// src/app/pictures.
void AddProgramImages(TImageList& images);

// The picture in grey: each opaque pixel's luminance, lifted towards a light
// grey so that the copy reads as inactive; transparency is kept.
QImage GreyCopy(const QImage& picture);
