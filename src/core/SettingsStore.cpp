// Text forms of the settings store: switches, integers, reals and colours, and the recent files.
#include "core/SettingsStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <strings.h>

namespace vorn {

namespace {

// The leading decimal integer of text (blanks before it allowed), 0 when there is none. Values
// past the int range saturate, and so are refused by any range that matters.
int LeadingInt(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// The leading number of text, or nothing when it is not a finite number. Read in the C locale's
// form whatever the user's locale is (a German desktop writes "1,5").
bool LeadingReal(const char* text, float& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double v = 0;
    if (!(in >> v) || !std::isfinite(v))
        return false;
    value = static_cast<float>(v);
    return true;
}

std::string RealText(float value) {
    // Numbers are printed in the "C" locale's form, which the GUI keeps for LC_NUMERIC.
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", double(value));
    return text;
}

} // namespace

void SettingsSection::ReadSwitch(const char* name, bool& value) {
    const std::string text = m_store.ReadText(kSettingsSection, name, value ? "TRUE" : "FALSE");
    if (strcasecmp(text.c_str(), "TRUE") == 0)
        value = true;
    else if (strcasecmp(text.c_str(), "FALSE") == 0)
        value = false;
}

void SettingsSection::WriteSwitch(const char* name, bool value) {
    m_store.WriteText(kSettingsSection, name, value ? "TRUE" : "FALSE");
}

void SettingsSection::ReadInt(const char* name, int& value, int lo, int hi) {
    const int read = LeadingInt(m_store.ReadText(kSettingsSection, name, std::to_string(value)));
    if (read >= lo && read <= hi)
        value = read;
}

void SettingsSection::WriteInt(const char* name, int value) {
    m_store.WriteText(kSettingsSection, name, std::to_string(value));
}

void SettingsSection::ReadReal(const char* name, float& value, float lo, float hi) {
    float read = 0;
    const std::string text = m_store.ReadText(kSettingsSection, name, RealText(value));
    if (LeadingReal(text.c_str(), read) && read >= lo && read <= hi)
        value = read;
}

void SettingsSection::WriteReal(const char* name, float value) {
    m_store.WriteText(kSettingsSection, name, RealText(value));
}

void SettingsSection::ReadReals(const char* name, float* values, int count) {
    std::string fallback;
    for (int k = 0; k < count; ++k)
        fallback += (k ? " " : "") + RealText(values[k]);
    std::istringstream in(m_store.ReadText(kSettingsSection, name, fallback));
    in.imbue(std::locale::classic());
    for (int k = 0; k < count; ++k) {
        double v = 0;
        if (!(in >> v))
            return; // the components read so far are kept, the others stay
        if (std::isfinite(v))
            values[k] = static_cast<float>(v);
    }
}

void SettingsSection::WriteReals(const char* name, const float* values, int count) {
    std::string text;
    for (int k = 0; k < count; ++k)
        text += (k ? " " : "") + RealText(values[k]);
    m_store.WriteText(kSettingsSection, name, text);
}

void SettingsSection::Remove(const char* name) {
    m_store.RemoveText(kSettingsSection, name);
}

namespace {

std::string RecentKey(int i) {
    return "File" + std::to_string(i + 1);
}

} // namespace

std::vector<std::string> LoadRecentFiles(SettingsStore& store) {
    std::vector<std::string> files;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const std::string path = store.ReadText(kRecentFileSection, RecentKey(i), "");
        if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end())
            files.push_back(path);
    }
    return files;
}

void SaveRecentFiles(SettingsStore& store, const std::vector<std::string>& files) {
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (i < static_cast<int>(files.size()))
            store.WriteText(kRecentFileSection, RecentKey(i), files[static_cast<size_t>(i)]);
        else
            store.RemoveText(kRecentFileSection, RecentKey(i));
    }
}

void RemoveRecentFiles(SettingsStore& store) {
    for (int i = 0; i < kRecentFileCount; ++i)
        store.RemoveText(kRecentFileSection, RecentKey(i));
}

void AddRecentFile(std::vector<std::string>& files, const std::string& path) {
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > static_cast<size_t>(kRecentFileCount))
        files.resize(static_cast<size_t>(kRecentFileCount));
}

} // namespace vorn
