#pragma once

#include <cstdint>
#include <string>

// A size as the file list's Size column shows it, and as reports of file work
// give it: kilobytes rounded up, grouped in the locale's way ("3,482KB").
std::string SizeText(std::uint64_t bytes);
