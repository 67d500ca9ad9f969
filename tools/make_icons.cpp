// Writes the program's desktop icon: make_icons <output folder>
// gives varilume.svg and varilume-<n>.png for the usual sizes. The PNGs are
// the start-screen logo itself; the SVG traces the same shapes in the same
// 100 x 103 coordinates, so both show one picture.
#include "ui/main/Logo.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

constexpr const char* kSvg = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 100 103">
  <defs>
    <radialGradient id="glow" cx="50" cy="36" r="26" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#ffe678"/>
      <stop offset="0.6" stop-color="#ffc83c" stop-opacity="0.47"/>
      <stop offset="1" stop-color="#ffc83c" stop-opacity="0"/>
    </radialGradient>
  </defs>
  <rect width="100" height="103" fill="#05081a"/>
  <g fill="#ffffff">
    <circle cx="12" cy="14" r="0.9"/><circle cx="83" cy="9" r="0.9"/>
    <circle cx="91" cy="40" r="0.9"/><circle cx="6" cy="60" r="0.9"/>
    <circle cx="70" cy="97" r="0.9"/><circle cx="28" cy="92" r="0.9"/>
  </g>
  <circle cx="50" cy="36" r="26" fill="url(#glow)"/>
  <circle cx="50" cy="36" r="13" fill="#ffde5a"/>
  <path d="M4 84C18 84 22 62 32 64C42 66 44 90 56 88C66 86 70 64 80 64C88 64 90 80 96 84"
        fill="none" stroke="#6fe36f" stroke-width="2.5"/>
  <g fill="#4aa8ff">
    <circle cx="14" cy="80" r="2"/><circle cx="30" cy="63" r="2"/>
    <circle cx="45" cy="84" r="2"/><circle cx="60" cy="87" r="2"/>
    <circle cx="75" cy="67" r="2"/><circle cx="90" cy="75" r="2"/>
  </g>
</svg>
)svg";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons <output folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QFile svg(out.filePath(QStringLiteral("varilume.svg")));
    bool ok = svg.open(QIODevice::WriteOnly) && svg.write(kSvg) > 0;
    svg.close();
    for (int size : {16, 32, 48, 64, 128, 256})
        ok &= varilume::makeLogo(QSize(size, size))
                  .save(out.filePath(QStringLiteral("varilume-%1.png").arg(size)));
    if (!ok) {
        std::fprintf(stderr, "could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
