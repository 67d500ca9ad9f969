// FITS light curves from memory (cfitsio's memory driver): any bytes sniffed for a
// table with TIME, its columns recognised and every row read, with finite results.
#include "FuzzSession.h"

#include "import/FitsTable.h"
#include "import/ObsValues.h"

#include <cmath>

using namespace varilume;

// A header may ask cfitsio for an impossible allocation (TFIELDS = 2e18); cfitsio
// checks for a failed one and reports it, so a null is the answer, not a crash.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes(data, size);
    const TableLayout layout = sniffFitsMemory(bytes);
    if (!layout.error.isEmpty())
        return 0;
    const TableMapping mapping = recogniseColumns(layout);
    qint64 seen = 0;
    const TableReadResult r = readFitsMemory(
        bytes, layout, mapping,
        [&](std::span<const TableObservation> chunk) {
            for (const TableObservation& o : chunk)
                if (!(o.jd > 0 && o.jd < kMaxJD) || !std::isfinite(o.mag))
                    __builtin_trap();
            seen += qint64(chunk.size());
            return true;
        },
        [](const SkippedRow&) {});
    if (r.ok && seen != r.loaded)
        __builtin_trap();
    return 0;
}
