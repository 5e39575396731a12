#include "platform/Dialogs.h"

#include <filesystem>

std::string CompleteDefaultExtension(const std::string& name, const std::string& defaultExt) {
    if (name.empty() || defaultExt.empty()) return name;
    const std::filesystem::path path(name);
    if (!path.has_filename() || path.has_extension()) return name;
    // A name such as ".gif" is all extension in the user's eyes.
    if (path.filename().string().front() == '.') return name;
    return name + "." + defaultExt;
}

std::string TDialogs::SaveDialog(const TFileDialogOptions& options) {
    return CompleteDefaultExtension(RunSaveDialog(options), options.DefaultExt);
}
