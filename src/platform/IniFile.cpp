#include "platform/IniFile.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string Trim(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    return s.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// "[Name]" gives true and the trimmed name.
bool SectionName(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = Trim(t.substr(1, t.size() - 2));
    return true;
}

// "Key=Value" gives true, the trimmed key and the value (trimmed).
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !key.empty();
}

std::string WithoutLineBreaks(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    std::replace(s.begin(), s.end(), '\r', ' ');
    return s;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

bool TIniFile::Readable() const {
    std::error_code ec;
    if (!std::filesystem::exists(FFileName, ec)) return !ec;
    if (!std::filesystem::is_regular_file(FFileName, ec)) return false;
    std::ifstream in(FFileName, std::ios::binary);
    return bool(in);
}

std::vector<std::string> TIniFile::ReadLines() const {
    std::vector<std::string> lines;
    std::ifstream in(FFileName, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    bool inSection = false;
    std::string name, k, v;
    for (const std::string& line : ReadLines()) {
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyValue(line, k, v) && SameName(k, key)) {
            return v;
        }
    }
    return defaultValue;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = ReadLines();
    const std::string entry = key + "=" + WithoutLineBreaks(value);

    // Find the section; within it, the key or the end of the section's entries.
    std::string name, k, v;
    bool inSection = false, found = false, sectionSeen = false;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size() && !found; ++i) {
        if (SectionName(lines[i], name)) {
            if (inSection) break; // end of our section: insert before it
            inSection = SameName(name, section);
            if (inSection) {
                sectionSeen = true;
                insertAt = i + 1;
            }
        } else if (inSection) {
            if (KeyValue(lines[i], k, v) && SameName(k, key)) {
                lines[i] = entry;
                found = true;
            } else if (!Trim(lines[i]).empty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!found) {
        if (sectionSeen) {
            lines.insert(lines.begin() + std::ptrdiff_t(insertAt), entry);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(FFileName);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFileSafely(FFileName, text.data(), text.size()).Ok;
}

std::string SettingsFilePath(const std::string& programDir, const std::string& fileName) {
    namespace fs = std::filesystem;
    if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0)
        return (fs::path(programDir) / fileName).string();
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute()) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = fs::path(home) / ".config";
    } else {
        base = fs::temp_directory_path();
    }
    return (base / "Frameloom" / fileName).string();
}
