// Hand-made PDB records for the model tests.
#pragma once

#include "io/PdbFile.h"

#include <cstring>

namespace vorn {

// An ATOM record of the given name and position; residue fields are left empty.
inline PdbRecord AtomRecord(int serial, const char* name, float x, float y, float z, int model) {
    PdbRecord r;
    std::strcpy(r.record, "ATOM");
    std::strcpy(r.atomName, name);
    r.serial = serial;
    r.x = x;
    r.y = y;
    r.z = z;
    r.model = model;
    return r;
}

} // namespace vorn
