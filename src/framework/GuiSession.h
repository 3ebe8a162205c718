#pragma once

#include <functional>
#include <string>

#include "framework/Bitmap.h"

// Runs `body` with the widget machinery up (headless when there is no
// display) and returns its exit code. For tools that draw controls into
// pictures.
int RunGuiSession(int argc, char** argv, const std::function<int()>& body);

// Writes the picture as a PNG file; false when it cannot be written.
bool SavePng(const QImage& image, const std::string& path);
