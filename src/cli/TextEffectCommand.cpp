// frameloom-cli text-effect OUT.gif [options]: the text effect wizard without
// its dialog. Every value the wizard offers is an option with the wizard's
// default; the animation is generated into an empty document exactly as the
// wizard's OK does, then the logical screen is fitted and the file saved.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "CliCommand.h"
#include "ColorOptions.h"
#include "GuiSupport.h"
#include "editor/LogicalScreen.h"
#include "generators/GeneratedDocument.h"
#include "generators/text/SmoothMask.h"
#include "generators/text/TextEffectGenerator.h"
#include "gifdata/GifData.h"

namespace {

const char* const TextEffectUsage =
    "Usage: frameloom-cli text-effect OUT.gif [options]\n"
    "Generates a text effect animation: one line of anti-aliased text that morphs\n"
    "from its start settings to its end settings and back (N key states give\n"
    "2 x N - 2 frames, 1 frame when N is 1), looping forever, saved as OUT.gif.\n"
    "\n"
    "General (defaults in brackets):\n"
    "  --text T                 the text [Text]\n"
    "  --width W, --height H    frame size in pixels, 1..65535 [185 x 60]\n"
    "  --font FACE              font face [Impact; a bold condensed face where it is missing]\n"
    "  --bold, --italic, --underline, --strikeout   font style [none]\n"
    "  --delay MS               milliseconds per frame, 10..999999 [100]\n"
    "  --frames N               key states, 1..999 [10]\n"
    "  --background-image FILE  background picture (JPEG, BMP, PNG, GIF, icon) [none]\n"
    "  --back-image-mode M      tile, stretch, center or normal [stretch]\n"
    "  --vert-mirror, --horz-mirror, --outline      text effects [off]\n"
    "  --texture FILE           texture picture; implies --texture-enabled [a built-in 39 x 26 picture]\n"
    "  --texture-enabled        fill the text with the texture [off]\n"
    "  --texture-mode M         tile, stretch, center or normal [tile]\n"
    "  --gradient               fill the text with a gradient [off]\n"
    "  --gradient-style S       LeftToRight, RightToLeft, TopToBottom, BottomToTop,\n"
    "                           CenterToLR or CenterToTB [LeftToRight]\n"
    "  --no-shadow              no shadow [shadow on]\n"
    "\n"
    "Animated values, each as --start-NAME V and --end-NAME V [start, end]:\n"
    "  size            font size in points, 1..1000        [36, 24]\n"
    "  color           font colour RRGGBB                  [00FF00, 008000]\n"
    "  back-color      background colour                   [C0C0C0, 808080]\n"
    "  angle           degrees, -360..360                  [5, -5]\n"
    "  alpha           text opacity, 0..100                [100, 80]\n"
    "  spray           0..100                              [0, 0]\n"
    "  blur            0..100                              [0, 0]\n"
    "  noise           0..255                              [0, 0]\n"
    "  gradient-start  gradient start colour               [00FF00, 000000]\n"
    "  gradient-end    gradient end colour                 [000000, 000000]\n"
    "  shadow-color    shadow colour                       [008000, 000000]\n"
    "  shadow-alpha    0..100                              [100, 100]\n"
    "  shadow-blur     0..100                              [0, 0]\n"
    "  shadow-offset-x pixels, -128..127                   [5, 20]\n"
    "  shadow-offset-y pixels, -128..127                   [10, -5]\n"
    "Colours are RRGGBB in hex (a leading # is allowed) or one of the names\n"
    "black, white, red, lime, green, blue, yellow, aqua, fuchsia, silver, grey.\n"
    "\n"
    "Exit status: 0 saved, 1 a picture could not be read, the animation is too large\n"
    "(all frames together more than 268435456 pixels, or a text too large to draw) or the save failed\n"
    "(reason on stderr), 2 usage error.\n";

class EUsage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

int ParseInt(const std::string& option, const std::string& text, int low, int high) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < low || value > high)
        throw EUsage(option + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
    return int(value);
}

TColor ParseColor(const std::string& option, std::string text) {
    static const std::map<std::string, TColor> names = {
        {"black", RGB(0, 0, 0)},        {"white", RGB(255, 255, 255)}, {"red", RGB(255, 0, 0)},
        {"lime", RGB(0, 255, 0)},       {"green", RGB(0, 128, 0)},     {"blue", RGB(0, 0, 255)},
        {"yellow", RGB(255, 255, 0)},   {"aqua", RGB(0, 255, 255)},    {"fuchsia", RGB(255, 0, 255)},
        {"silver", RGB(192, 192, 192)}, {"grey", RGB(128, 128, 128)},  {"gray", RGB(128, 128, 128)}};
    if (auto named = names.find(text); named != names.end()) return named->second;
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    const bool hex = std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
    if (text.size() != 6 || !hex || *end != '\0')
        throw EUsage(option + " takes a colour as RRGGBB, not '" + text + "'");
    return RGB(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}

template <class T, std::size_t N>
T ParseChoice(const std::string& option, const std::string& text,
              const std::pair<const char*, T> (&choices)[N]) {
    std::string known;
    for (const auto& [name, value] : choices) {
        if (text == name) return value;
        known += std::string(known.empty() ? "" : ", ") + name;
    }
    throw EUsage(option + " takes one of " + known + ", not '" + text + "'");
}

const std::pair<const char*, TBackGroundMode> BackModes[] = {
    {"tile", bmTiled}, {"stretch", bmStretched}, {"center", bmCenter}, {"normal", bmNormal}};
const std::pair<const char*, TTextureMode> TextureModes[] = {
    {"tile", tmTiled}, {"stretch", tmStretched}, {"center", tmCenter}, {"normal", tmNormal}};
const std::pair<const char*, TGradualStyle> GradientStyles[] = {
    {"LeftToRight", gsLeftToRight}, {"RightToLeft", gsRightToLeft}, {"TopToBottom", gsTopToBottom},
    {"BottomToTop", gsBottomToTop}, {"CenterToLR", gsCenterToLR},   {"CenterToTB", gsCenterToTB}};

struct TParsed {
    TTextEffectSettings Settings;
    std::string Output;
    std::string BackgroundFile;
    std::string TextureFile;
};

TParsed ParseArguments(const std::vector<std::string>& args) {
    TParsed parsed;
    TTextEffectSettings& s = parsed.Settings;
    std::map<std::string, std::function<void()>> flags = {
        {"--bold", [&] { s.Bold = true; }},
        {"--italic", [&] { s.Italic = true; }},
        {"--underline", [&] { s.Underline = true; }},
        {"--strikeout", [&] { s.StrikeOut = true; }},
        {"--vert-mirror", [&] { s.VertMirror = true; }},
        {"--horz-mirror", [&] { s.HorzMirror = true; }},
        {"--outline", [&] { s.Outline = true; }},
        {"--texture-enabled", [&] { s.TextureEnabled = true; }},
        {"--gradient", [&] { s.GradientEnabled = true; }},
        {"--no-shadow", [&] { s.ShadowEnabled = false; }},
    };
    std::map<std::string, std::function<void(const std::string&)>> values = {
        {"--text", [&](const std::string& v) { s.Text = v; }},
        {"--width", [&](const std::string& v) { s.Width = ParseInt("--width", v, 1, 65535); }},
        {"--height", [&](const std::string& v) { s.Height = ParseInt("--height", v, 1, 65535); }},
        {"--font", [&](const std::string& v) { s.FontName = v; }},
        {"--delay", [&](const std::string& v) { s.Delay = ParseInt("--delay", v, 10, 999999); }},
        {"--frames", [&](const std::string& v) { s.Frames = ParseInt("--frames", v, 1, 999); }},
        {"--background-image", [&](const std::string& v) { parsed.BackgroundFile = v; }},
        {"--back-image-mode",
         [&](const std::string& v) { s.BackImageMode = ParseChoice("--back-image-mode", v, BackModes); }},
        {"--texture",
         [&](const std::string& v) {
             parsed.TextureFile = v;
             s.TextureEnabled = true;
         }},
        {"--texture-mode",
         [&](const std::string& v) { s.TextureMode = ParseChoice("--texture-mode", v, TextureModes); }},
        {"--gradient-style",
         [&](const std::string& v) { s.GradientStyle = ParseChoice("--gradient-style", v, GradientStyles); }},
    };
    auto addInt = [&](const std::string& name, TTextEffectRange<int>& range, int low, int high) {
        values["--start-" + name] = [&range, name, low, high](const std::string& v) {
            range.Start = ParseInt("--start-" + name, v, low, high);
        };
        values["--end-" + name] = [&range, name, low, high](const std::string& v) {
            range.End = ParseInt("--end-" + name, v, low, high);
        };
    };
    auto addColor = [&](const std::string& name, TTextEffectRange<TColor>& range) {
        values["--start-" + name] = [&range, name](const std::string& v) {
            range.Start = ParseColor("--start-" + name, v);
        };
        values["--end-" + name] = [&range, name](const std::string& v) {
            range.End = ParseColor("--end-" + name, v);
        };
    };
    addInt("size", s.FontSize, 1, 1000);
    addColor("color", s.FontColor);
    addColor("back-color", s.BackColor);
    addInt("angle", s.Angle, -360, 360);
    addInt("alpha", s.Alpha, 0, 100);
    addInt("spray", s.Spray, 0, 100);
    addInt("blur", s.Blur, 0, 100);
    addInt("noise", s.Noise, 0, 255);
    addColor("gradient-start", s.GradientStartColor);
    addColor("gradient-end", s.GradientEndColor);
    addColor("shadow-color", s.ShadowColor);
    addInt("shadow-alpha", s.ShadowAlpha, 0, 100);
    addInt("shadow-blur", s.ShadowBlur, 0, 100);
    addInt("shadow-offset-x", s.ShadowOffsetX, -128, 127);
    addInt("shadow-offset-y", s.ShadowOffsetY, -128, 127);

    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (auto flag = flags.find(arg); flag != flags.end()) {
            flag->second();
        } else if (auto value = values.find(arg); value != values.end()) {
            if (i + 1 >= args.size()) throw EUsage(arg + " needs a value");
            value->second(args[++i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw EUsage("unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) throw EUsage("expected one output file");
    parsed.Output = files[0];
    return parsed;
}

// A picture the wizard cannot load is reported and the previous one stays;
// on the command line there is no previous one, so the run stops.
bool LoadPicture(const std::string& path, TSmoothPicture& picture) {
    if (picture.LoadFromFile(path)) return true;
    std::cerr << "frameloom-cli text-effect: Can not open file \"" << path << "\".\n";
    return false;
}

int Generate(const TParsed& parsed);

int RunTextEffect(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        std::cout << TextEffectUsage << ColorOptionsUsage;
        return ExitOk;
    }
    std::vector<std::string> args = arguments;
    if (std::string error; !TakeColorOptions(args, error)) {
        std::cerr << "frameloom-cli text-effect: " << error << "\n" << TextEffectUsage << ColorOptionsUsage;
        return ExitUsage;
    }
    TParsed parsed;
    try {
        parsed = ParseArguments(args);
    } catch (const EUsage& e) {
        std::cerr << "frameloom-cli text-effect: " << e.what() << "\n"
                  << TextEffectUsage << ColorOptionsUsage;
        return ExitUsage;
    }
    EnsureGuiApplication();
    return Generate(parsed);
}

int Generate(const TParsed& input) {
    TParsed parsed = input;
    TTextEffectSettings& settings = parsed.Settings;
    if (const std::string problem =
            GeneratedSizeProblem(settings.Width, settings.Height, TextEffectFrameCount(settings.Frames));
        !problem.empty()) {
        std::cerr << "frameloom-cli text-effect: " << problem << "\n";
        return ExitFailure;
    }
    if (!parsed.BackgroundFile.empty() && !LoadPicture(parsed.BackgroundFile, settings.BackImage))
        return ExitFailure;
    if (!parsed.TextureFile.empty() && !LoadPicture(parsed.TextureFile, settings.Texture)) return ExitFailure;

    // The same bounds as the wizard's: nothing is generated that the renderer
    // or the memory cannot hold.
    if (const std::string refusal = TextEffectRefusal(settings); !refusal.empty()) {
        std::cerr << "frameloom-cli text-effect: " << refusal << "\n";
        return ExitFailure;
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    TGIFData document;
    ResetDocumentForGeneration(document);
    int frames = 0;
    try {
        frames = GenerateTextEffect(document, settings);
    } catch (const ETextTooLarge& e) {
        SetIOErrorHandler(nullptr);
        std::cerr << "frameloom-cli text-effect: " << e.what() << "\n";
        return ExitFailure;
    }
    if (FitLogicalScreen(document)) document.RefreshThumbnails();
    document.CompactPalettes();
    const bool saved = document.SaveToFile(parsed.Output);
    SetIOErrorHandler(nullptr);
    if (!saved) {
        if (!reported) std::cerr << "frameloom-cli: cannot save " << parsed.Output << "\n";
        return ExitFailure;
    }
    std::cout << parsed.Output << ": " << frames << " frames of " << settings.Width << " x "
              << settings.Height << "\n";
    return ExitOk;
}

const bool registered = RegisterCommand(
    {"text-effect", "generate a text effect animation (morphing anti-aliased text)", &RunTextEffect});

} // namespace
