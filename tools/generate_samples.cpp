// Writes the sample observation files shipped in samples/:
//   generate_samples <output folder>
// Seeded, so the same files come out every time.
#include "OrbisGenerator.h"

#include <QDir>

#include <cstdio>

using namespace varilume::gen;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_samples <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;

    // Mira-type long-period variable, ten years of visual, V and B observations.
    SampleFile mira;
    mira.star = {"R Syn", CurveShape::Mira, 331.7, 2451200.3, 7.1, 6.0, 1.6};
    mira.observations = 3200;
    mira.seed = 1;
    mira.malformedLines = 2;
    ok &= writeSample(out.filePath(QStringLiteral("R Syn ORBIS.txt")), mira);

    // Classical Cepheid, two seasons of CCD V photometry.
    SampleFile cepheid;
    cepheid.star = {"DL Syn", CurveShape::Cepheid, 5.37, 2455002.71, 5.9, 0.82, 0.7};
    cepheid.observations = 900;
    cepheid.seed = 2;
    cepheid.firstJD = 2455000.5;
    cepheid.spanDays = 700;
    cepheid.visualShare = 0;
    cepheid.bShare = 0;
    cepheid.discrepantShare = 0.005;
    ok &= writeSample(out.filePath(QStringLiteral("DL Syn ORBIS.txt")), cepheid);

    // Algol-type eclipsing binary as a plain two-column file; the star is named
    // after the file, so the name ends at the first ".".
    const StarModel algol{"EB Syn", CurveShape::Eclipsing, 2.8673, 2456001.412, 10.2, 1.1, 0.3};
    ok &= writeTwoColumnFile(out.filePath(QStringLiteral("EB Syn.txt")), algol, 1500, 3, 2456000.5,
                             420);

    // The archive's current 24-field download layout, comma-separated, with its
    // quoted free text and a few differential measurements.
    SampleFile current;
    current.star = {"S Syn", CurveShape::Mira, 283.4, 2458102.6, 8.3, 5.2, 1.5};
    current.layout = OrbisLayout::CurrentComma;
    current.observations = 400;
    current.seed = 4;
    current.firstJD = 2458000.5;
    current.spanDays = 900;
    current.visualShare = 0.5;
    current.bShare = 0.2;
    current.differentialShare = 0.05;
    ok &= writeSample(out.filePath(QStringLiteral("S Syn current layout.csv")), current);

    if (!ok) {
        std::fprintf(stderr, "could not write every sample into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
