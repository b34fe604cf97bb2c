// The settings store as an INI file in the user's configuration directory, through QSettings.
#pragma once

#include "core/SettingsStore.h"

#include <QSettings>

#include <memory>

namespace vorn {

// Sections and names as the engine gives them; QSettings percent-encodes a section name with a
// blank ("Recent File List") on disk. The file is read when the store is made and written back
// when it is flushed or destroyed; a file that cannot be written changes nothing that runs.
class QtSettingsStore : public SettingsStore {
public:
    // The file of the organisation and application names under $XDG_CONFIG_HOME (or ~/.config).
    QtSettingsStore();
    // A given file, for tests.
    explicit QtSettingsStore(const QString& fileName);

    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& fallback) override;
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& text) override;
    void RemoveText(const std::string& section, const std::string& name) override;

    // The window's size and place, kept beside the settings.
    QByteArray ReadGeometry();
    void WriteGeometry(const QByteArray& geometry);
    void RemoveGeometry();

    // Writes pending changes to the file; false when the file could not be written.
    bool Flush();
    QString FileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace vorn
