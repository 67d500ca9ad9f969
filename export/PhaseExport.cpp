#include "export/PhaseExport.h"

#include "export/ExportText.h"
#include "export/Pacer.h"
#include "export/SaveDialogs.h"
#include "export/TextFileWriter.h"
#include "format/NumberFormat.h"
#include "plot/Phase.h"

#include <QHash>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace varilume {

namespace {

const QString kSortedQuery = QStringLiteral(" SELECT * FROM ") + QStringLiteral("Obs") +
                             QStringLiteral(" WHERE FAINT <> '<'") +
                             QStringLiteral(" ORDER BY PHAS; ");
const QString kLoadOrderQuery =
    QStringLiteral(" SELECT * FROM ") + QStringLiteral("Obs") + QStringLiteral(" ORDER BY ID ; ");

// Marks the program busy for the length of an export, so that no command that
// changes the store or starts a plot runs while it yields.
struct BusyFlag {
    bool& flag;
    explicit BusyFlag(bool& f) : flag(f) { flag = true; }
    ~BusyFlag() { flag = false; }
};

// The busy display: logo, progress bar and "Saving File. . . ." until the end.
struct SavingDisplay {
    PlotView& view;
    SavingDisplay(PlotView& v, int maximum) : view(v) {
        view.HidePlot();
        view.showProgress(maximum);
        view.showBusyCaption(QStringLiteral("Saving File. . . ."));
    }
    ~SavingDisplay() {
        view.ShowPlot();
        view.hideBusyCaption();
        view.hideProgress();
    }
};

// The double a reader gets from the field's text (up to 15 significant
// digits): the value itself whenever its shortest exact text is no longer.
double throughText(double value) {
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    int digits = 0;
    for (const char* p = text; p != res.ptr && *p != 'e'; ++p)
        digits += (*p >= '0' && *p <= '9') ? 1 : 0;
    if (digits <= 15)
        return value;
    return fmt::parseNumber(fmt::general(value)).value_or(value);
}

// Magnitude fields by the bits of the single: magnitudes repeat, lines do not.
class MagFields {
public:
    const QByteArray& field(float mag) {
        std::uint32_t bits;
        std::memcpy(&bits, &mag, sizeof bits);
        auto it = cache_.constFind(bits);
        if (it != cache_.constEnd())
            return *it;
        if (cache_.size() > 65536)
            cache_.clear();
        return *cache_.insert(bits, exporttext::jdOrderMagField(exporttext::singleText(mag)));
    }

private:
    QHash<std::uint32_t, QByteArray> cache_;
};

} // namespace

FileDialogSpec exportDialogSpec(const ProjectState& s, const QString& ending) {
    return saveDialogSpec(s, ending,
                          QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt|"), 2,
                          QStringLiteral("txt"));
}

std::vector<PhaseMag> phaseSortedRowsByQuery(ObsStore& store) {
    std::vector<PhaseMag> rows;
    Recordset rs = store.query(kSortedQuery);
    while (!rs.eof()) {
        if (!rs.text(QStringLiteral("Faint")).contains(u'<') &&
            !rs.isNull(QStringLiteral("Phas")) && !rs.isNull(QStringLiteral("Mag")))
            rows.push_back({rs.single(QStringLiteral("Phas")), rs.single(QStringLiteral("Mag"))});
        rs.moveNext();
    }
    return rows;
}

std::vector<PhaseMag> phaseSortedRows(ObsStore& store) {
    const auto cols = store.phaseColumns();
    if (!cols)
        return phaseSortedRowsByQuery(store);
    struct Row {
        float phase;
        float mag;
        std::int64_t id;
    };
    std::vector<Row> sorted;
    sorted.reserve(cols->phase.size());
    for (std::size_t i = 0; i < cols->phase.size(); ++i)
        if (!std::isnan(cols->phase[i]) && !std::isnan(cols->mag[i]))
            sorted.push_back({cols->phase[i], cols->mag[i], cols->id[i]});
    // Equal phases come in table order, as the query's sort leaves them.
    std::sort(sorted.begin(), sorted.end(), [](const Row& a, const Row& b) {
        return a.phase < b.phase || (a.phase == b.phase && a.id < b.id);
    });
    std::vector<PhaseMag> rows;
    rows.reserve(sorted.size());
    for (const Row& r : sorted)
        rows.push_back({r.phase, r.mag});
    return rows;
}

namespace {

// The frame both exports share: refused while busy, the busy display, the file
// with its four header lines, and every failure turned into the result. body
// writes the data lines; lines already written stay when it throws.
template <typename Body>
ExportResult savePhases(Context& ctx, PlotView& view, const QString& path, const QDateTime& when,
                        const char* columns, Body&& body) {
    ExportResult result;
    if (ctx.state.Plotting) {
        result.status = ExportResult::Status::Busy;
        return result;
    }
    const BusyFlag busy(ctx.state.Plotting);
    const SavingDisplay display(view, ctx.state.NumRecords);
    Pacer pacer(ctx.platform, [&view](int done) { view.setProgress(done); });
    pacer.now(0);

    TextFileWriter file(path);
    if (!file.failed()) {
        file.buffer().append(exporttext::createdLine(when) + "\r\n" + columns + "\r\n\r\n");
        try {
            body(file, pacer, result.lines);
        } catch (const StoreError& e) {
            result.status = ExportResult::Status::Failed;
            result.error = e.description();
        } catch (const PhaseError& e) {
            result.status = ExportResult::Status::Failed;
            result.error = e.description();
        }
    }
    file.close();
    if (file.failed() && result.ok()) {
        result.status = ExportResult::Status::Failed;
        result.error = file.error();
    }
    return result;
}

} // namespace

ExportResult SavePhaseSorted(Context& ctx, PlotView& view, const QString& path,
                             const QDateTime& when) {
    return savePhases(ctx, view, path, when, "    Phase       Mag",
                      [&ctx](TextFileWriter& file, Pacer& pacer, qint64& lines) {
                          for (const PhaseMag& r : phaseSortedRows(ctx.store)) {
                              if (file.failed())
                                  break;
                              exporttext::appendSortedLine(file.buffer(), r.phase, r.mag);
                              ++lines;
                              file.flushIfFull();
                              pacer.tick(lines);
                          }
                      });
}

ExportResult SaveFile(Context& ctx, PlotView& view, const QString& path, const QDateTime& when) {
    return savePhases(
        ctx, view, path, when, "    JD             Phase       Mag",
        [&ctx](TextFileWriter& file, Pacer& pacer, qint64& lines) {
            // Only JD and Mag are read: the phases are computed afresh, so the
            // stored ones need not be written back first.
            Recordset rs = ctx.store.queryWithoutPhases(kLoadOrderQuery);
            const PhaseRule phaseOf(ctx.state);
            MagFields mags;
            const QByteArray nullMag = exporttext::jdOrderMagField(QString());
            const QString jdField = QStringLiteral("JD"), magField = QStringLiteral("Mag");
            while (!rs.eof() && !file.failed()) {
                if (rs.isNull(jdField))
                    throw StoreError(StoreError::InvalidUseOfNull, QStringLiteral("Type mismatch"));
                const double jd = throughText(rs.number(jdField));
                exporttext::appendJDLine(file.buffer(), jd, phaseOf(jd),
                                         rs.isNull(magField) ? nullMag
                                                             : mags.field(rs.single(magField)));
                ++lines;
                file.flushIfFull();
                pacer.tick(lines);
                rs.moveNext();
            }
        });
}

} // namespace varilume
