#include "import/Extremes.h"

#include "format/NumberFormat.h"

#include <exception>

namespace varilume {

ExtremesResult FindExtremes(ProjectState& s, ObsStore& store) {
    ExtremesResult r;
    try {
        const std::optional<ObsStore::Extremes> e = store.extremes();
        if (!e) {
            r.status = ExtremesResult::Status::NoObservations;
            return r;
        }
        s.MinMag = e->minMag;
        s.MaxMag = e->maxMag;
        s.MinJD = e->minJD;
        s.MaxJD = e->maxJD;
        if (e->count == 1) {
            s.MinMag -= 1;
            s.MaxMag += 1;
            s.MinJD -= 100;
            s.MaxJD += 100;
        }
        r.minJD = QStringLiteral("Min JD= ") + fmt::general(s.MinJD);
        r.maxJD = QStringLiteral("Max JD= ") + fmt::general(s.MaxJD);
        r.minMag = QStringLiteral("Min Mag = ") + fmt::general(s.MinMag);
        r.maxMag = QStringLiteral("Max Mag = ") + fmt::general(s.MaxMag);
    } catch (const StoreError& e) {
        r.status = ExtremesResult::Status::StoreFailed;
        r.error = e.description();
    } catch (const std::exception& e) {
        r.status = ExtremesResult::Status::StoreFailed;
        r.error = QString::fromUtf8(e.what());
    }
    return r;
}

} // namespace varilume
