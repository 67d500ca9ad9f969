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

/// The trial period in days before a star is loaded, after an unload and
/// when the preview opens anew.
inline constexpr float kDefaultPeriod = 200;

/// The project-wide state shared by every window and routine. One instance is
/// owned by the application and handed around by reference; tests build their own.
struct ProjectState {
    QString ProgramFolder; // folder of the executable (a temporary folder in tests)

    QString StarName;
    QString FileName;   // the path last chosen in any file dialog
    QString LoadedFile; // the loaded star's file, set by a load alone
    QString SaveFolder; // folder of the last file saved, where save dialogs start
    QString XYZFileName;
    QString FilePath;
    QString DataURL; // the archive's data-download page; the user's to give
    QString FilesFolder;
    std::int32_t NumRecords = 0;
    bool StarLoaded = false;
    bool XYZLoaded = false;
    bool IniMissing = false;
    float MinMag = 0;
    float MaxMag = 0;
    double MinJD = 0;
    double MaxJD = 0;
    double JDFrom = 0;
    double JDTo = 0;
    double MidJD = 0;
    float Period = kDefaultPeriod;
    float Increment = 0;
    bool TwoCycles = false;
    bool Plotting = false;
    bool Loading = false; // an import is running; it yields, so commands must wait
    bool BinsShown = false;
    bool ZoomMode = false;
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

    // Kept between runs: the main window's place and size in twips (0 width:
    // never kept yet) and the files loaded last, newest first.
    std::int32_t WindowLeft = 0;
    std::int32_t WindowTop = 0;
    std::int32_t WindowWidth = 0;
    std::int32_t WindowHeight = 0;
    QStringList RecentFiles;

    std::vector<float> BinPhase;
    std::vector<float> BinMag;
    std::vector<float> BinSD;
    std::int16_t BinParam = 0;
    std::int16_t Sigma = 2;

    // Bands (their keys, see plot/Bands.h) hidden from the phase plot, the
    // preview, their scales and bins, and the period search.
    QStringList HiddenBands;

    /// True while a load or a plot yields to the event loop: nothing may change
    /// the store or start another load meanwhile.
    bool storeBusy() const { return Loading || Plotting; }

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

/// The largest colour value: white, 24 bits.
inline constexpr std::int32_t kMaxColor = 16777215;

/// A colour setting as stored in PunktFarb, clamped to 0..kMaxColor (a value
/// beyond an int would be undefined to convert).
inline std::int32_t colorValue(double setting) {
    if (!(setting > 0))
        return 0;
    if (setting >= kMaxColor)
        return kMaxColor;
    return static_cast<std::int32_t>(setting + 0.5);
}

} // namespace varilume
