// A whole two-column file: the line reader, the splitting rules, the value checks
// and the store, then the extremes, preview, scales and plots of a good load.
#include "FuzzSession.h"

#include "import/TwoColumnImport.h"

using namespace varilume;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Run run;
    fuzz::Session& s = run.s;
    const QString path = s.write(QStringLiteral("SS Cyg.txt"), fuzz::bytes(data, size));
    s.state.StarName = StarNameFromPath(path);
    if (ImportTwoColumnFile(s.ctx, s.views, path).ok())
        s.afterLoad(float(size % 31) + 0.25f, size % 2 == 1);
    return 0;
}
