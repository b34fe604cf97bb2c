// The settings store over QSettings in INI form.
#include "app/QtSettingsStore.h"

namespace vorn {

namespace {

QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(name);
}

const char kGeometryKey[] = "Window/geometry";

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Vorn",
                                             "Vorn")) {}

QtSettingsStore::QtSettingsStore(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

// Values come back as text whatever a hand-edited file holds: a list (a value with commas) is
// joined again, anything else that is not text reads as absent.
std::string QtSettingsStore::ReadText(const std::string& section, const std::string& name,
                                      const std::string& fallback) {
    const QVariant value = m_settings->value(Key(section, name));
    if (!value.isValid())
        return fallback;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(", ").toStdString();
    if (!value.canConvert<QString>())
        return fallback;
    return value.toString().toStdString();
}

void QtSettingsStore::WriteText(const std::string& section, const std::string& name,
                                const std::string& text) {
    m_settings->setValue(Key(section, name), QString::fromStdString(text));
}

void QtSettingsStore::RemoveText(const std::string& section, const std::string& name) {
    m_settings->remove(Key(section, name));
}

QByteArray QtSettingsStore::ReadGeometry() {
    return m_settings->value(kGeometryKey).toByteArray();
}

void QtSettingsStore::WriteGeometry(const QByteArray& geometry) {
    m_settings->setValue(kGeometryKey, geometry);
}

void QtSettingsStore::RemoveGeometry() {
    m_settings->remove(kGeometryKey);
}

bool QtSettingsStore::Flush() {
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString QtSettingsStore::FileName() const {
    return m_settings->fileName();
}

} // namespace vorn
