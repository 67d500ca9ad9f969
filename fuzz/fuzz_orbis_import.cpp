// A whole ORBIS file: the line reader (encodings, line ends), layout detection,
// field splitting, the value checks and the store, then everything a successful
// load goes on to (extremes, preview, scales, plots).
#include "FuzzSession.h"

#include "import/OrbisImport.h"

using namespace varilume;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Run run;
    fuzz::Session& s = run.s;
    s.state.FileName = s.write(QStringLiteral("star.txt"), fuzz::bytes(data, size));
    if (ImportOrbisFile(s.ctx, s.views).ok())
        s.afterLoad(float(size % 97) + 0.37f, size % 2 == 1);
    return 0;
}
