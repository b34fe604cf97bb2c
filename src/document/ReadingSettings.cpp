// The document's reading options in the settings store, in the order they are written.
#include "document/ReadingSettings.h"

#include "core/SettingsStore.h"
#include "document/VornDoc.h"

#include <climits>

namespace vorn {

void LoadReadingSettings(CVornDoc& doc, SettingsStore& store) {
    SettingsSection s(store);
    s.ReadSwitch("zeroComOnRead", doc.zeroComOnRead);
    s.ReadSwitch("connectOnRead", doc.connectOnRead);
    s.ReadSwitch("multiModelTraj", doc.multiModelTraj);
    s.ReadInt("multiModelTrajProcess", doc.multiModelTrajProcess, INT_MIN, INT_MAX);
    s.ReadSwitch("secondaryStructOnRead", doc.secondaryStructOnRead);
}

void SaveReadingSettings(const CVornDoc& doc, SettingsStore& store) {
    SettingsSection s(store);
    s.WriteSwitch("zeroComOnRead", doc.zeroComOnRead);
    s.WriteSwitch("connectOnRead", doc.connectOnRead);
    s.WriteSwitch("multiModelTraj", doc.multiModelTraj);
    s.WriteInt("multiModelTrajProcess", doc.multiModelTrajProcess);
    s.WriteSwitch("secondaryStructOnRead", doc.secondaryStructOnRead);
}

void ResetReadingSettings(CVornDoc& doc) {
    const CVornDoc fresh;
    doc.zeroComOnRead = fresh.zeroComOnRead;
    doc.connectOnRead = fresh.connectOnRead;
    doc.multiModelTraj = fresh.multiModelTraj;
    doc.multiModelTrajProcess = fresh.multiModelTrajProcess;
    doc.secondaryStructOnRead = fresh.secondaryStructOnRead;
}

void PurgeReadingSettings(SettingsStore& store) {
    SettingsSection s(store);
    for (const char* name : {"zeroComOnRead", "connectOnRead", "multiModelTraj",
                             "multiModelTrajProcess", "secondaryStructOnRead"})
        s.Remove(name);
}

} // namespace vorn
