#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace varilume {

/// Default colours of the thirteen observation classes (RGB as R + 256*G + 65536*B).
namespace DefaultColor {
inline constexpr double VIS = 65280;
inline constexpr double FAINT = 15520722;
inline constexpr double DISC = 12615680;
inline constexpr double NA = 65280;
inline constexpr double U = 16711680;
inline constexpr double V = 16744448;
inline constexpr double B = 16744448;
inline constexpr double R = 255;
inline constexpr double I = 16744576;
inline constexpr double CV = 12615935;
inline constexpr double CR = 8454016;
inline constexpr double H = 16744703;
inline constexpr double J = 4227200;
} // namespace DefaultColor

/// The project-wide state shared by every window and routine. One instance is
/// owned by the application and handed around by reference; tests build their own.
struct ProjectState {
    QString ProgramFolder; // folder of the executable (a temporary folder in tests)

    QString StarName;
    QString FileName;
    QString XYZFileName;
    QString FilePath;
    QString FilesFolder;
    std::int32_t NumRecords = 0;
    bool StarLoaded = false;
    bool LoadOK = true;
    bool XYZLoaded = false;
    bool IniMissing = false;
    float MinMag = 0;
    float MaxMag = 0;
    double MinJD = 0;
    double MaxJD = 0;
    double JDFrom = 0;
    double JDTo = 0;
    double MidJD = 0;
    float Period = 200;
    float Increment = 0;
    bool TwoCycles = false;
    bool Plotting = false;
    bool BinsShown = false;
    bool ZoomMode = false;
    std::int32_t PointColor = 0;
    QString PlotCaption;
    QString DefaultPrinter;
    QString PrinterName;

    double ColorVIS = 0;
    double ColorFAINT = 0;
    double ColorDISC = 0;
    double ColorNA = 0;
    double ColorU = 0;
    double ColorV = 0;
    double ColorB = 0;
    double ColorR = 0;
    double ColorI = 0;
    double ColorCV = 0;
    double ColorCR = 0;
    double ColorH = 0;
    double ColorJ = 0;

    std::vector<float> BinPhase;
    std::vector<float> BinMag;
    std::vector<float> BinSD;
    std::int32_t BinCount = 0;
    std::int16_t BinParam = 0;
    std::int16_t Sigma = 2;

    // Point colours hidden from the phase plot, the preview and the period search.
    std::vector<std::int32_t> HiddenColors;

    QString storePath() const { return ProgramFolder + QStringLiteral("/Varilume.mdb"); }
    QString templatePath() const { return ProgramFolder + QStringLiteral("/Template.mdb"); }
    QString settingsPath() const { return ProgramFolder + QStringLiteral("/Varilume.ini"); }
    QString errorsPath() const { return FilesFolder + QStringLiteral("/Errors.txt"); }
};

/// One colour class: its settings key and the member of ProjectState holding it.
struct ColorClass {
    const char* key;
    double ProjectState::*member;
    double defaultValue;
};

/// The thirteen colour classes in settings-file order.
inline constexpr ColorClass kColorClasses[] = {
    {"ColorVIS", &ProjectState::ColorVIS, DefaultColor::VIS},
    {"ColorFAINT", &ProjectState::ColorFAINT, DefaultColor::FAINT},
    {"ColorDISC", &ProjectState::ColorDISC, DefaultColor::DISC},
    {"ColorNA", &ProjectState::ColorNA, DefaultColor::NA},
    {"ColorU", &ProjectState::ColorU, DefaultColor::U},
    {"ColorV", &ProjectState::ColorV, DefaultColor::V},
    {"ColorB", &ProjectState::ColorB, DefaultColor::B},
    {"ColorR", &ProjectState::ColorR, DefaultColor::R},
    {"ColorI", &ProjectState::ColorI, DefaultColor::I},
    {"ColorCV", &ProjectState::ColorCV, DefaultColor::CV},
    {"ColorCR", &ProjectState::ColorCR, DefaultColor::CR},
    {"ColorH", &ProjectState::ColorH, DefaultColor::H},
    {"ColorJ", &ProjectState::ColorJ, DefaultColor::J},
};

/// A colour setting as stored in PunktFarb.
inline std::int32_t colorValue(double setting) {
    return static_cast<std::int32_t>(setting < 0 ? setting - 0.5 : setting + 0.5);
}

} // namespace varilume
