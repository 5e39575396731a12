#include "editor/ColorSettings.h"

#include "platform/IniFile.h"

namespace {

const char* const Section = "COLORS";

} // namespace

TColorChoice ReadColorChoice(const std::string& settingsFile) {
    const TIniFile ini(settingsFile);
    TColorChoice choice;
    if (const auto reduction = ParseColorReduction(ini.ReadString(Section, "Reduction", "standard")))
        choice.Reduction = *reduction;
    if (const auto dithering = ParseDithering(ini.ReadString(Section, "Dither", "none")))
        choice.Dither = *dithering;
    return choice;
}

bool WriteColorChoice(const std::string& settingsFile, const TColorChoice& choice) {
    TIniFile ini(settingsFile);
    return ini.WriteString(Section, "Reduction", ColorReductionName(choice.Reduction)) &&
           ini.WriteString(Section, "Dither", DitheringName(choice.Dither));
}
