#pragma once

#include "store/Context.h"
#include "support/ScriptedPlatform.h"
#include "support/TestStore.h"

namespace varilume::test {

/// What a routine under test works on: a fresh program folder with its store,
/// the scripted platform, and the Context over both.
struct TestContext {
    TestFolder folder;
    ScriptedPlatform platform;
    Context ctx{folder.state, folder.store, platform};
};

} // namespace varilume::test
