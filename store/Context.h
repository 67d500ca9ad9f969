#pragma once

#include "platform/Platform.h"
#include "store/ObsStore.h"
#include "store/State.h"

namespace varilume {

/// What every routine works on: the project-wide state, the store and the
/// platform layer. Owned by the application; tests build their own.
struct Context {
    ProjectState& state;
    ObsStore& store;
    Platform& platform;
};

} // namespace varilume
