#include "import/FitsHeaders.h"

#include <QByteArray>
#include <QIODevice>
#include <cstdlib>

namespace varilume {

namespace {

constexpr qint64 kBlock = 2880;
constexpr qint64 kCard = 80;
constexpr int kMaxHdus = 64;

/// The integer value of a "KEY     = value" card, or -1.
qint64 integerValue(const QByteArray& card) {
    if (card.mid(8, 2) != "= ")
        return -1;
    bool ok = false;
    const qint64 v = card.mid(10, 20).trimmed().toLongLong(&ok);
    return ok ? v : -1;
}

} // namespace

QString checkFitsHeaders(QIODevice& in) {
    const qint64 size = in.size();
    qint64 at = 0;
    for (int hdu = 1; hdu <= kMaxHdus && at < size; ++hdu) {
        qint64 bitpix = 0, naxis = 0, pcount = 0, gcount = 1;
        double elements = 1;
        bool end = false;
        while (!end && at < size) {
            if (!in.seek(at))
                return QStringLiteral("Cannot read the FITS header of HDU %1.").arg(hdu);
            const QByteArray block = in.read(kBlock);
            if (block.isEmpty())
                return QString();
            at += block.size();
            for (qint64 c = 0; c + kCard <= block.size() && !end; c += kCard) {
                const QByteArray card = block.mid(c, kCard);
                for (const char ch : card)
                    if (ch < 32 || ch > 126)
                        return QStringLiteral("The FITS header of HDU %1 holds bytes that are "
                                              "not text, in card %2.")
                            .arg(hdu)
                            .arg((at - block.size() + c) / kCard + 1);
                const QByteArray key = card.left(8).trimmed();
                if (key == "END") {
                    end = true;
                } else if (key == "BITPIX") {
                    bitpix = integerValue(card);
                } else if (key == "NAXIS") {
                    naxis = integerValue(card);
                } else if (key.startsWith("NAXIS")) {
                    elements *= double(integerValue(card));
                } else if (key == "PCOUNT") {
                    pcount = integerValue(card);
                } else if (key == "GCOUNT") {
                    gcount = integerValue(card);
                }
            }
        }
        if (!end)
            return QString(); // cut short: cfitsio says so when it gets there
        const double data = naxis <= 0 ? 0
                                       : double(std::abs(bitpix) / 8) * double(gcount) *
                                             (double(pcount) + elements);
        if (!(data >= 0) || data > double(size - at))
            return QString(); // data past the end: cfitsio says so when it reads them
        at += (qint64(data) + kBlock - 1) / kBlock * kBlock;
    }
    return QString();
}

} // namespace varilume
