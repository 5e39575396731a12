// frameloom-cli slideshow OUT.gif --size WxH PICTURE[:STYLE[:STEP[:DELAY[:IMAGEDELAY]]]]...:
// the slide-show wizard without its dialogs. The pictures are squeezed to the
// frame size and joined by transitions, one frame per step, into an empty
// document exactly as the wizard's OK does; then the logical screen is fitted
// and the file saved as the editor saves.

#include <filesystem>
#include <iostream>
#include <optional>
#include <random>

#include "CliCommand.h"
#include "ColorOptions.h"
#include "GuiSupport.h"
#include "editor/LogicalScreen.h"
#include "generators/GeneratedDocument.h"
#include "generators/transitions/SlideShowGenerator.h"
#include "generators/transitions/TransitionStyles.h"
#include "gifdata/GifData.h"
#include "platform/PictureDecoders.h"

namespace {

const char* const SlideshowUsage =
    "Usage: frameloom-cli slideshow OUT.gif [--size WxH] [--seed N] "
    "PICTURE[:STYLE[:STEP[:DELAY[:IMAGEDELAY]]]]...\n"
    "Generates a slide show: each picture (JPEG, PNG, BMP, ICO, EMF or WMF) is\n"
    "squeezed to the frame size and brought in by a transition, one frame per\n"
    "step; after the last picture the first one comes back, and the animation\n"
    "loops forever. At least two pictures are needed.\n"
    "\n"
    "  --size WxH     frame size, 1..9999 each [200x100]\n"
    "  --seed N       seed for the random styles and effects, for repeatable output\n"
    "\n"
    "Per picture, after colons (an empty field keeps the default):\n"
    "  STYLE          transition that brings the picture in: 1..150 or a name from\n"
    "                 `frameloom-cli styles` (any letter case) [random in 1..149]\n"
    "  STEP           progress per frame, percent, 1..100 [10]\n"
    "  DELAY          milliseconds per intermediate frame, 0..999999 [100]\n"
    "  IMAGEDELAY     milliseconds the finished picture shows, 0..999999 [1000]\n"
    "The transition of the first picture runs at the end, bringing it back.\n"
    "\n"
    "Exit status: 0 saved, 1 a picture could not be loaded, the slide show is too\n"
    "large (a frame above 16777216 pixels, or all frames above 268435456), or the\n"
    "save failed (reason on stderr), 2 usage error.\n";

struct TSlideArgument {
    std::string Path;
    std::optional<int> Style;
    TSlideRecord Record;
};

std::vector<std::string> SplitColons(const std::string& text) {
    std::vector<std::string> parts{""};
    for (char c : text) {
        if (c == ':')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

// PICTURE[:STYLE[:STEP[:DELAY[:IMAGEDELAY]]]]. A path that itself holds colons
// is recognised by the longest prefix naming an existing file.
bool ParseSlide(const std::string& argument, TSlideArgument& slide, std::string& error) {
    const std::vector<std::string> parts = SplitColons(argument);
    std::size_t pathParts = 1;
    std::string joined;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        joined += (k ? ":" : "") + parts[k];
        std::error_code ignored;
        if (std::filesystem::is_regular_file(joined, ignored)) pathParts = k + 1;
    }
    slide.Path.clear();
    for (std::size_t k = 0; k < pathParts; ++k) slide.Path += (k ? ":" : "") + parts[k];
    const std::vector<std::string> fields(parts.begin() + pathParts, parts.end());
    if (fields.size() > 4) {
        error = "too many fields in '" + argument + "'";
        return false;
    }
    if (fields.size() > 0 && !fields[0].empty()) {
        if (auto number = ParseNumber(fields[0], 1, TransitionStyleCount)) {
            slide.Style = *number;
        } else {
            const int index = FindTransitionStyle(fields[0]);
            if (index < 1) {
                error = "unknown transition style '" + fields[0] + "' (see frameloom-cli styles)";
                return false;
            }
            slide.Style = index;
        }
    }
    struct TField {
        const char* Name;
        int* Target;
        int Low, High;
    };
    const TField numbers[] = {{"step", &slide.Record.Step, 1, 100},
                              {"delay", &slide.Record.Delay, 0, 999999},
                              {"image delay", &slide.Record.ImageDelay, 0, 999999}};
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].empty()) continue;
        const TField& field = numbers[i - 1];
        const auto value = ParseNumber(fields[i], field.Low, field.High);
        if (!value) {
            error = std::string("bad ") + field.Name + " '" + fields[i] + "' (" + std::to_string(field.Low) +
                    ".." + std::to_string(field.High) + ")";
            return false;
        }
        *field.Target = *value;
    }
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto w = ParseNumber(text.substr(0, x), 1, 9999);
    const auto h = ParseNumber(text.substr(x + 1), 1, 9999);
    if (!w || !h) return false;
    width = *w;
    height = *h;
    return true;
}

int UsageError(const std::string& message) {
    std::cerr << "frameloom-cli slideshow: " << message << "\n" << SlideshowUsage << ColorOptionsUsage;
    return ExitUsage;
}

int RunSlideshow(const std::vector<std::string>& arguments) {
    if (WantsHelp(arguments)) {
        std::cout << SlideshowUsage << ColorOptionsUsage;
        return ExitOk;
    }
    std::vector<std::string> args = arguments;
    if (std::string error; !TakeColorOptions(args, error)) {
        std::cerr << "frameloom-cli slideshow: " << error << "\n" << SlideshowUsage << ColorOptionsUsage;
        return ExitUsage;
    }
    std::string output;
    int width = 200, height = 100;
    std::optional<std::uint32_t> seed;
    std::vector<TSlideArgument> slides;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--size" || arg == "--seed") {
            if (i + 1 >= args.size()) return UsageError(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--size") {
                if (!ParseSize(value, width, height))
                    return UsageError("bad size '" + value + "' (WxH, 1..9999)");
            } else {
                const auto number = ParseNumber(value, 0, 999999999);
                if (!number) return UsageError("bad seed '" + value + "'");
                seed = std::uint32_t(*number);
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else if (output.empty()) {
            output = arg;
        } else {
            TSlideArgument slide;
            std::string error;
            if (!ParseSlide(arg, slide, error)) return UsageError(error);
            slides.push_back(slide);
        }
    }
    if (output.empty()) return UsageError("expected an output file and at least two pictures");
    if (slides.size() < 2) return UsageError("Please add at least two images");
    // Every picture is held at the frame size while the frames are made.
    if (const std::string problem = GeneratedSizeProblem(width, height, std::int64_t(slides.size()));
        !problem.empty()) {
        std::cerr << "frameloom-cli slideshow: " << problem << "\n";
        return ExitFailure;
    }

    if ((long long)width * height > MaxSlideShowFramePixels) {
        std::cerr << "frameloom-cli slideshow: a frame of " << width << "x" << height
                  << " is too large for a slide show (at most " << MaxSlideShowFramePixels << " pixels)\n";
        return ExitFailure;
    }

    EnsureGuiApplication();
    std::mt19937 random(seed ? *seed : std::random_device{}());
    SeedTransitionRandom(std::uint32_t(random()));
    std::vector<TSlide> frames;
    for (const TSlideArgument& slide : slides) {
        TBitmap picture;
        std::string reason;
        if (!LoadPictureFile(slide.Path, picture, reason)) {
            std::cerr << "Can not load file \"" << slide.Path << "\"\n";
            if (!reason.empty()) std::cerr << "frameloom-cli: " << reason << "\n";
            return ExitFailure;
        }
        // Transparent parts show over white, as on a fresh bitmap.
        TSlide added{StretchToFrame(FlattenPicture(picture, RGB(255, 255, 255)), width, height),
                     NewSlideRecord(random)};
        const int randomStyle = added.Record.Style;
        added.Record = slide.Record;
        added.Record.Style = slide.Style ? *slide.Style : randomStyle;
        frames.push_back(std::move(added));
    }

    bool reported = false;
    SetIOErrorHandler([&reported](const std::string& reason) {
        std::cerr << "frameloom-cli: " << reason << "\n";
        reported = true;
    });
    if (!SlideShowFitsBounds(frames, width, height)) {
        std::cerr << "frameloom-cli slideshow: " << SlideShowFrameCount(frames) << " frames of " << width
                  << "x" << height
                  << " are too many to generate; use a larger step, fewer pictures or a smaller size\n";
        return ExitFailure;
    }
    TGIFData doc;
    ResetDocumentForGeneration(doc);
    int status = ExitOk;
    if (!GenerateSlideShow(doc, width, height, frames)) {
        std::cerr << "frameloom-cli slideshow: no frame was generated; " << output << " was not written\n";
        status = ExitFailure;
    } else {
        FitLogicalScreen(doc);
        doc.CompactPalettes();
        if (!doc.SaveToFile(output)) {
            if (!reported) std::cerr << "frameloom-cli: cannot save " << output << "\n";
            status = ExitFailure;
        }
    }
    SetIOErrorHandler(nullptr);
    return status;
}

const bool registered = RegisterCommand(
    {"slideshow", "join pictures by transition effects into a slide-show animation", &RunSlideshow});

} // namespace
