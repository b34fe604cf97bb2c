// Switches a GL capability on or off by a flag.
#pragma once

#include <GL/gl.h>

namespace vorn {

inline void SetCapability(GLenum capability, bool on) {
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

} // namespace vorn
