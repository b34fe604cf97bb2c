// The per-user settings store as the engine sees it: named text values in sections, the text forms
// of switches, numbers and colours, and the list of recently opened files.
#pragma once

#include <string>
#include <vector>

namespace vorn {

// The GUI backs it with an INI file in the user's configuration directory; tests with a map.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or fallback when the value is absent.
    virtual std::string ReadText(const std::string& section, const std::string& name,
                                 const std::string& fallback) = 0;
    virtual void WriteText(const std::string& section, const std::string& name,
                           const std::string& text) = 0;
    virtual void RemoveText(const std::string& section, const std::string& name) = 0;
};

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kRecentFileSection = "Recent File List";
inline constexpr int kRecentFileCount = 4;

// The values of the "Settings" section in their text forms. Reading leaves the value as it was
// when the stored text is absent or not accepted.
class SettingsSection {
public:
    explicit SettingsSection(SettingsStore& store) : m_store(store) {}

    // "TRUE" or "FALSE"; read without regard to case, any other text is not accepted.
    void ReadSwitch(const char* name, bool& value);
    void WriteSwitch(const char* name, bool value);
    // "%d"; the leading decimal number is read (0 when there is none) and accepted in lo .. hi.
    void ReadInt(const char* name, int& value, int lo, int hi);
    void WriteInt(const char* name, int value);
    // "%.3f"; the leading number is read and accepted in lo .. hi, both included.
    void ReadReal(const char* name, float& value, float lo, float hi);
    void WriteReal(const char* name, float value);
    // count (3 or 4) reals "%.3f" separated by single blanks; components the text does not supply
    // keep their values, and no range applies.
    void ReadReals(const char* name, float* values, int count);
    void WriteReals(const char* name, const float* values, int count);
    void Remove(const char* name);

private:
    SettingsStore& m_store;
};

// The four most recent files, most recent first, as "File1" .. "File4" of "Recent File List".
std::vector<std::string> LoadRecentFiles(SettingsStore& store);
void SaveRecentFiles(SettingsStore& store, const std::vector<std::string>& files);
void RemoveRecentFiles(SettingsStore& store);
// Puts path first, dropping an older entry of the same path and any beyond the fourth.
void AddRecentFile(std::vector<std::string>& files, const std::string& path);

} // namespace vorn
