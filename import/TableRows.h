#pragma once

#include "import/TableReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <limits>
#include <vector>

namespace varilume {

/// One field of a row as the readers hand it over: text to be read (delimited
/// files), or a number already read (FITS; NaN for an undefined value) with
/// perhaps a text (a FITS string column).
struct TableCell {
    QByteArrayView text;
    double number = std::numeric_limits<double>::quiet_NaN();
    bool numeric = false;
};

/// Turns rows of cells into observations by a mapping; shared by the text and
/// FITS readers so both follow the same rules (see readTable()). Collects
/// observations in chunks and hands them to the sink.
class TableRows {
public:
    TableRows(const TableMapping& mapping, bool decimalComma, const ObservationSink& sink,
              const SkipSink& skipped, TableReadResult& result);

    /// Reads one row; rowText gives the row's text for a skip report (called only then).
    /// False when the sink asked to stop.
    template <typename RowText>
    bool add(const std::vector<TableCell>& cells, qint64 line, const RowText& rowText) {
        rowReasons_.clear();
        addRow(cells, line);
        if (!rowReasons_.empty())
            report(line, rowText());
        return !stopped_;
    }

    /// Hands over the observations still held. False when the sink asked to stop.
    bool flush();

private:
    struct Output {
        int value = -1; // Magnitude or Flux column
        int err = -1;   // its Uncertainty column, or -1
        bool isFlux = false;
        QString band;
    };
    void addRow(const std::vector<TableCell>& cells, qint64 line);
    void skip(SkipReason reason);
    void report(qint64 line, const QString& text);
    const QString& bandOf(const TableCell& cell, const QString& fallback);

    const TableMapping& mapping_;
    bool decimalComma_;
    const ObservationSink& sink_;
    const SkipSink& skipped_;
    TableReadResult& result_;

    int time_ = -1;
    int band_ = -1;
    int flux_ = -1; // the Flux column when a Magnitude column is read: converts the uncertainty
    std::vector<int> flags_;
    std::vector<int> limits_;
    std::vector<Output> outputs_;

    std::vector<TableObservation> chunk_;
    bool stopped_ = false;
    std::vector<SkipReason> rowReasons_; // of the current row
    static constexpr std::size_t kBandCache = 16;
    std::vector<std::pair<QByteArray, QString>> bands_; // band names met lately
};

} // namespace varilume
