// The light-curve table reader on any bytes: the head sniffed, the columns
// recognised by name and every row read, with the reader's promises checked: finite
// magnitudes, JDs in range, every row loaded or reported, and a mapping text that
// reads back.
#include "FuzzSession.h"

#include "import/MappingText.h"
#include "import/ObsValues.h"
#include "import/TableReader.h"

#include <cmath>

using namespace varilume;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Run run;
    const QString path = run.s.write(QStringLiteral("table.csv"), fuzz::bytes(data, size));
    const TableLayout layout = sniffTable(path);
    const TableMapping mapping = recogniseColumns(layout);
    qint64 seen = 0;
    qint64 reported = 0;
    const TableReadResult r = readTable(
        path, layout, mapping,
        [&](std::span<const TableObservation> chunk) {
            for (const TableObservation& o : chunk)
                if (!(o.jd > 0 && o.jd < kMaxJD) || !std::isfinite(o.mag) || o.line < 1)
                    __builtin_trap();
            seen += qint64(chunk.size());
            return true;
        },
        [&](const SkippedRow& s) {
            if (s.line < 1)
                __builtin_trap();
            ++reported;
        });
    if (r.ok && (seen != r.loaded || reported != r.skippedTotal()))
        __builtin_trap();
    if (!mapping.roles.empty() &&
        !mappingFromText(mappingToText(mapping), qsizetype(mapping.roles.size())))
        __builtin_trap(); // a mapping that cannot be remembered
    return 0;
}
