// One ORBIS line through every line routine (both splitters, the layout guess,
// the JD pattern, the magnitude split, the value checks), then imported after a
// sound line in each layout, and the load carried on to the plots.
#include "FuzzSession.h"

#include "import/ObsValues.h"
#include "import/OrbisImport.h"
#include "import/OrbisLine.h"

using namespace varilume;

namespace {

const QByteArray kLegacyLine = "2451234.5,9.1,,,V,ABC,,,,,,0,,Z,,,,R Syn\n";
const QByteArray kCurrentHeader =
    "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,"
    "Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star Name,"
    "Observer Affiliation,Measurement Method,Grouping Method,ADS Reference,Digitizer,Credit\n";
const QByteArray kCurrentLine = "2455410.5,9.8,,,V,ABC,,,,,,0,,Z,,,,S Syn,,STD,,,,\n";

void lineRoutines(const QByteArray& raw) {
    const QString text = QString::fromUtf8(raw);
    orbis::Fields f;
    QString scratch;
    orbis::splitLegacy(text, f);
    for (QChar d : {QChar(u','), QChar(u'\t')}) {
        if (orbis::splitCurrent(text, d, f, scratch) == orbis::SplitStatus::Ok && f.count > 1) {
            orbis::isJulianDate(f[1]);
            checkObsNumbers(f[1], orbis::splitMagnitude(f[2]).mag);
        }
    }
    orbis::detectLayout(text);
    orbis::isJulianDate(text);
    orbis::splitMagnitude(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line = fuzz::bytes(data, size);
    lineRoutines(line);
    for (const QByteArray& before : {kLegacyLine, kCurrentHeader + kCurrentLine}) {
        const fuzz::Run run;
        fuzz::Session& s = run.s;
        s.state.FileName = s.write(QStringLiteral("star.txt"), before + line + '\n' + before);
        // Plots of the two sound rows alone would be the same for every input.
        if (ImportOrbisFile(s.ctx, s.views).ok() && s.store.count() > 2)
            s.afterLoad(0.5f + float(size % 13), size % 2 == 1);
    }
    return 0;
}
