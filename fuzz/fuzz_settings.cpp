// A settings file read at start, then a small star loaded and plotted with its
// colours, and the period stepped both ways by its increment.
#include "FuzzSession.h"

#include "import/Extremes.h"
#include "import/TwoColumnImport.h"
#include "settings/Settings.h"
#include "ui/main/PeriodSteps.h"

#include <cmath>

using namespace varilume;

namespace {
const QByteArray kStar = "2451000.5 10.1\n2451003.25 10.6\n2451007.75 <11.2\n2451010.5 9.8\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Run run;
    fuzz::Session& s = run.s;
    s.write(QStringLiteral("Varilume.ini"), fuzz::bytes(data, size));
    ReadSettings(s.state, s.platform);
    // Every colour the program can draw with is a 24-bit value.
    for (const ColorClass& c : kColorClasses) {
        const double v = s.state.*(c.member);
        if (!(v >= 0 && v <= kMaxColor))
            __builtin_trap();
    }
    const QString path = s.write(QStringLiteral("star.txt"), kStar);
    s.state.StarName = StarNameFromPath(path);
    if (!ImportTwoColumnFile(s.ctx, s.views, path).ok())
        __builtin_trap(); // the settings must not break a sound load
    float period = 200;
    for (int i = 0; i < 3; ++i) {
        const PeriodStep up = stepPeriodUp(period, s.state.Increment, i == 1);
        if (!std::isfinite(up.period) || up.period < 0)
            __builtin_trap();
        period = up.period;
    }
    const PeriodStep down = stepPeriodDown(period, s.state.Increment, true);
    if (!std::isfinite(down.period) || down.period < 0)
        __builtin_trap();
    // The colours and the stepped period in a plot; the preview adds nothing
    // the settings could change.
    if (!FindExtremes(s.state, s.store).found())
        __builtin_trap();
    s.plotAt(down.period, period > 1000);
    // Written back as the program does at shutdown.
    WriteSettings(s.state);
    return 0;
}
