#pragma once
// The colour reduction kept in the settings file: section COLORS, keys
// Reduction (standard, exact, quality) and Dither (none, fs, ordered).
// Missing or unknown words read as the standard reduction without dithering.

#include "platform/ColorQuantizer.h"

#include <string>

TColorChoice ReadColorChoice(const std::string& settingsFile);
bool WriteColorChoice(const std::string& settingsFile, const TColorChoice& choice);
