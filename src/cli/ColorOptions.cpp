#include "ColorOptions.h"

#include "gifdata/GifData.h"
#include "platform/ColorQuantizer.h"

const char* const ColorOptionsUsage =
    "\nColour options (for the pictures that become frames):\n"
    "  --colors standard|exact|quality   how pictures are reduced to 256 colours: the 16-level\n"
    "                           standard palette, their own colours when they have at most 256\n"
    "                           (else as quality), or a palette made for the picture [standard]\n"
    "  --dither none|fs|ordered dithering of exact and quality: none, Floyd-Steinberg or an\n"
    "                           ordered pattern [none]\n";

bool TakeColorOptions(std::vector<std::string>& args, std::string& error) {
    TColorChoice choice;
    bool ditherGiven = false;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--colors" && arg != "--dither") {
            rest.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--colors") {
            const auto reduction = ParseColorReduction(value);
            if (!reduction) {
                error = "--colors takes standard, exact or quality, not '" + value + "'";
                return false;
            }
            choice.Reduction = *reduction;
        } else {
            const auto dithering = ParseDithering(value);
            if (!dithering) {
                error = "--dither takes none, fs or ordered, not '" + value + "'";
                return false;
            }
            choice.Dither = *dithering;
            ditherGiven = true;
        }
    }
    if (ditherGiven && choice.Dither != dtNone && choice.Reduction == crStandard) {
        error = "--dither needs --colors exact or quality";
        return false;
    }
    args = std::move(rest);
    SetPictureColorChoice(choice);
    return true;
}
