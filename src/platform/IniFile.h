#pragma once
// A small INI file: "[Section]" lines, "Key=Value" lines, everything else kept
// as it was. Section and key names match without regard to case, as INI files
// always have. Every write goes to disk at once, through a temporary file that
// replaces the old one, so a failed write never leaves half a settings file.

#include <string>
#include <vector>

class TIniFile {
  public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // False when the file exists but cannot be read (a folder, no permission);
    // a missing file is readable and empty.
    bool Readable() const;
    // The value of Section/Key; defaultValue when the file, section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue = {}) const;
    // Sets Section/Key (adding the section or key when missing) and writes the file.
    // False when the file cannot be written; the old file then stays as it was.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

  private:
    std::vector<std::string> ReadLines() const;
    std::string FFileName;
};

// Where the program keeps a settings file called fileName: in programDir when that
// folder is writable, otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config) under "Frameloom".
std::string SettingsFilePath(const std::string& programDir, const std::string& fileName);
