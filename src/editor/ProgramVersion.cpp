#include "editor/ProgramVersion.h"

#ifndef FRAMELOOM_VERSION
#error "the build passes FRAMELOOM_VERSION"
#endif

std::string ProgramFileVersion() {
    return FRAMELOOM_VERSION;
}
