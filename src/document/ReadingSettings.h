// The document's five reading options as persisted values: reading, writing, resetting, removing.
#pragma once

namespace vorn {

class CVornDoc;
class SettingsStore;

// Reads zeroComOnRead, connectOnRead, multiModelTraj, multiModelTrajProcess and
// secondaryStructOnRead in that order over the document's values.
void LoadReadingSettings(CVornDoc& doc, SettingsStore& store);
void SaveReadingSettings(const CVornDoc& doc, SettingsStore& store);
// The options a new document starts with.
void ResetReadingSettings(CVornDoc& doc);
void PurgeReadingSettings(SettingsStore& store);

} // namespace vorn
