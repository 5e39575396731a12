#pragma once
// The colour-reduction options shared by every subcommand that turns pictures
// into frames (import, text-effect, slideshow): --colors and --dither.

#include <string>
#include <vector>

// The lines the usage texts show for the options.
extern const char* const ColorOptionsUsage;

// Takes --colors standard|exact|quality and --dither none|fs|ordered out of
// args and makes them the reduction every new frame takes. False with a
// message for an unknown word, a missing value, or dithering asked of the
// standard reduction (which never dithers).
bool TakeColorOptions(std::vector<std::string>& args, std::string& error);
