#include "import/Extremes.h"

#include "format/NumberFormat.h"
#include "plot/Phase.h"

#include <exception>

namespace varilume {

bool FindExtremes(Context& ctx, PlotView& view) {
    ProjectState& s = ctx.state;
    try {
        const std::optional<ObsStore::Extremes> e = ctx.store.extremes();
        if (!e) {
            ctx.platform.message(QStringLiteral("No observations of ") + s.StarName +
                                     QStringLiteral(" in this JD interval."),
                                 QStringLiteral("No Observations"), Buttons::Ok, Icon::None);
            s.LoadOK = false;
            view.HidePlot();
            return false;
        }
        s.MinMag = e->minMag;
        s.MaxMag = e->maxMag;
        s.MinJD = e->minJD;
        s.MaxJD = e->maxJD;
        SetMidJD(s);
        // One point would give empty ranges, which no scale can show.
        if (e->count == 1) {
            s.MinMag -= 1;
            s.MaxMag += 1;
            s.MinJD -= 100;
            s.MaxJD += 100;
        }
        view.setRangeLabels(QStringLiteral("Min JD= ") + fmt::general(s.MinJD),
                            QStringLiteral("Max JD= ") + fmt::general(s.MaxJD),
                            QStringLiteral("Min Mag = ") + fmt::general(s.MinMag),
                            QStringLiteral("Max Mag = ") + fmt::general(s.MaxMag));
        return true;
    } catch (const StoreError& e) {
        ctx.platform.reportError(e.description(), QStringLiteral("FindExtremes"));
    } catch (const std::exception& e) {
        ctx.platform.reportError(QString::fromUtf8(e.what()), QStringLiteral("FindExtremes"));
    }
    return false;
}

} // namespace varilume
