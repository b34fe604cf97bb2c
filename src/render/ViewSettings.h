// The view's persisted values: their defaults, reading them over the view from the settings store,
// writing them back with the document's reading options, and removing them all.
#pragma once

namespace vorn {

class CVornDoc;
class CVornView;
class SettingsStore;

// Puts the default of every persisted view value into the view (the quality level to Medium, the
// light colours reset, the light switches kept), then reads the store over them when it is given.
void SetDefaultSettings(CVornView& view, SettingsStore* store);

// Reads every persisted view value in the order they are written; an absent or unaccepted text
// leaves the value as the view holds it.
void LoadSettings(CVornView& view, SettingsStore& store);

// Writes the document's reading options, then every persisted view value.
void SaveSettings(const CVornView& view, const CVornDoc& doc, SettingsStore& store);

// Removes every value SaveSettings writes.
void PurgeSettings(SettingsStore& store);

} // namespace vorn
