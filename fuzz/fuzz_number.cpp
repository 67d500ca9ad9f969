// The number reader and every number form, then the number used as a JD, as a
// magnitude and as a period in a small two-column load carried on to the plots.
#include "FuzzSession.h"

#include "format/NumberFormat.h"
#include "import/TwoColumnImport.h"

#include <cmath>

using namespace varilume;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray raw = fuzz::bytes(data, size);
    const QString text = QString::fromUtf8(raw);
    const auto v = fmt::parseNumber(text);
    fmt::parseNumber(QString::fromLatin1(raw));
    if (!v)
        return 0;
    if (!std::isfinite(*v))
        __builtin_trap(); // the reader promises finite numbers or nothing
    fmt::general(*v);
    fmt::query(*v);
    fmt::pattern(*v, u"#0.0000000");
    fmt::pattern(*v, u"0000000.0000");
    fmt::pattern(*v, u"#0.0###", 7);
    if (std::fabs(*v) <= 3.4e38) {
        const float f = static_cast<float>(*v);
        fmt::general(f);
        fmt::signedSingle(f);
    }
    // The number as a JD, then as a magnitude.
    const QByteArray n = text.trimmed().toUtf8();
    const QByteArray lines[] = {n + " 10.5\n" + n + " 11.25\n",
                                "2451000.5 " + n + "\n2451009.5 12\n"};
    for (const QByteArray& content : lines) {
        const fuzz::Run run;
        fuzz::Session& s = run.s;
        const QString path = s.write(QStringLiteral("n.txt"), content);
        s.state.StarName = StarNameFromPath(path);
        if (ImportTwoColumnFile(s.ctx, s.views, path).ok())
            s.afterLoad(std::fabs(*v) < 1e30 ? float(std::fabs(*v)) : 1.0f, *v < 0);
    }
    return 0;
}
