#include "app/BatchSummary.h"

#include "search/Verdict.h"

#include "app/ShutdownSignals.h"
#include "export/SearchCsv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace varilume {

namespace {

// From this many stars the FFT plans are timed: the first of each length costs
// up to a few seconds, then every star runs its transforms up to 2.5 times as
// fast.
constexpr std::size_t MeasuredFftStars = 100;

QString field(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    if (text.contains(u',') || text.contains(u'"'))
        text = u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return text;
}

// The loader's reasons start with the path, which the row's first column already holds.
QString withoutPath(const QString& file, const QString& why) {
    const QString prefix = file + QStringLiteral(": ");
    return why.startsWith(prefix) ? why.mid(prefix.size()) : why;
}

// A star read and waiting for a worker.
struct Job {
    std::size_t index = 0;
    QString file;
    SearchData data;
    QString note; // from reading the file
};

} // namespace

SummaryRow failedRow(const QString& file, const QString& error) {
    SummaryRow row;
    row.file = file;
    row.error = error.isEmpty() ? QStringLiteral("failed") : error;
    return row;
}

SummaryRow summaryRow(const QString& file, const SearchData& data, const SearchResult& result) {
    if (!result.ok())
        return failedRow(file, result.status == SearchResult::Status::Cancelled
                                   ? QStringLiteral("cancelled")
                                   : QString::fromStdString(result.reason));
    SummaryRow row;
    row.file = file;
    row.points = data.times.size();
    if (!data.times.empty()) {
        const auto [first, last] = std::minmax_element(data.times.begin(), data.times.end());
        row.spanDays = *last - *first;
    }
    const std::string_view verdict = verdictText(result.verdict);
    row.verdict = QString::fromUtf8(verdict.data(), static_cast<qsizetype>(verdict.size()));
    if (result.peaks.empty()) {
        row.note = QStringLiteral("no peak");
        return row;
    }
    const Peak& best = result.peaks.front();
    row.period = best.period;
    row.frequency = best.frequency;
    row.power = best.power;
    row.fap = best.fap;
    row.fapRed = best.fapRed;
    row.harmonics = best.harmonics;
    row.note = QString::fromStdString(best.note);
    return row;
}

QString summaryCsvHeader() {
    return QStringLiteral(
        "file,points,span_days,period,frequency,power,harmonics,fap,fap_red,verdict,note,error\n");
}

QString summaryCsvLine(const SummaryRow& row) {
    QStringList f{field(row.file)};
    if (!row.ok()) {
        for (int i = 0; i < 10; ++i)
            f << QString();
        f << field(row.error);
        return f.join(u',') + u'\n';
    }
    f << QString::number(row.points) << csvNumber(row.spanDays) << csvNumber(row.period)
      << csvNumber(row.frequency) << csvNumber(row.power)
      << (row.harmonics > 0 ? QString::number(row.harmonics) : QString()) << fapCsv(row.fap)
      << fapCsv(row.fapRed) << field(row.verdict) << field(row.note) << QString();
    return f.join(u',') + u'\n';
}

QStringList readFileList(const QString& listPath, QString* error) {
    QFile list(listPath);
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("Cannot read the list %1: %2").arg(listPath, list.errorString());
        return {};
    }
    const QDir folder = QFileInfo(listPath).absoluteDir();
    QStringList files;
    QTextStream in(&list);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        files << (QFileInfo(line).isRelative() ? QDir::cleanPath(folder.filePath(line)) : line);
    }
    return files;
}

BatchOutcome runBatchSummary(const BatchOptions& options, const SummaryProgress& progress,
                             unsigned workers, const std::function<bool()>& stopRequested) {
    BatchOutcome outcome;
    auto fail = [&](const QString& why) {
        outcome.exitCode = 2;
        outcome.out.clear();
        outcome.err = QStringLiteral("Varilume: ") + why + u'\n';
        return outcome;
    };
    QStringList files;
    if (!options.file.isEmpty())
        files << options.file;
    files += options.moreFiles;
    if (!options.listFile.isEmpty()) {
        QString why;
        files += readFileList(options.listFile, &why);
        if (!why.isEmpty())
            return fail(why);
    }
    if (files.isEmpty())
        return fail(QStringLiteral("%1 names no files.").arg(options.listFile));

    // Written beside OUT.csv and renamed over it at the end; dropped on any failure.
    QSaveFile out(options.summaryFile);
    const auto put = [&](const QString& text) {
        const QByteArray bytes = text.toUtf8();
        return out.write(bytes) == bytes.size();
    };
    if (!out.open(QIODevice::WriteOnly) || !put(summaryCsvHeader()))
        return fail(
            QStringLiteral("Cannot write %1: %2").arg(options.summaryFile, out.errorString()));

    const std::size_t total = static_cast<std::size_t>(files.size());
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    workers = static_cast<unsigned>(std::min<std::size_t>(workers ? workers : cores, total));
    // One core per star; the cores left over when there are fewer stars than cores split the grid.
    SearchSettings settings = options.settings;
    settings.threads = static_cast<int>(std::max(1u, cores / workers));
    // Many stars share a few FFT lengths: each is timed once, then planned at once.
    settings.measureFft = total >= MeasuredFftStars;
#ifdef __GLIBC__
    // Each star's spectra (megabytes) would otherwise be mapped fresh from the
    // system and given back when it ends, a page fault for every 4 kB: kept in
    // the heap for the next star, they cost a tenth less time a star.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> queue;
    bool closed = false;
    std::map<std::size_t, std::pair<QString, bool>> finished; // row and success, by index
    std::size_t done = 0;
    // Read a little ahead of the workers, not the whole list: a list may name millions.
    const std::size_t capacity = 2 * std::size_t{workers};
    std::atomic<bool> cancel{false};
    bool stopped = false;
    const auto stopNow = [&] { return stopRequested && stopRequested(); };

    const auto work = [&] {
        for (;;) {
            Job job;
            {
                std::unique_lock l(lock);
                changed.wait(l, [&] { return closed || !queue.empty(); });
                if (queue.empty())
                    return;
                job = std::move(queue.front());
                queue.pop_front();
            }
            changed.notify_all();
            SummaryRow row;
            try {
                row = summaryRow(job.file, job.data, runSearch(job.data, settings, &cancel));
            } catch (const std::exception& e) {
                row = failedRow(job.file, QString::fromLocal8Bit(e.what()));
            }
            if (row.ok() && !job.note.isEmpty())
                row.note =
                    row.note.isEmpty() ? job.note : row.note + QStringLiteral("; ") + job.note;
            const QString line = summaryCsvLine(row);
            {
                const std::lock_guard l(lock);
                finished.emplace(job.index, std::pair{line, row.ok()});
                ++done;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < workers; ++w)
        pool.emplace_back(work);

    // Rows go out in the order of the input, whichever worker finishes first.
    std::size_t written = 0, failed = 0, reported = 0;
    bool writeFailed = false;
    QElapsedTimer sinceReport;
    sinceReport.start();
    const auto flush = [&] {
        std::vector<std::pair<QString, bool>> ready;
        std::size_t doneNow = 0;
        {
            const std::lock_guard l(lock);
            for (auto it = finished.find(written + ready.size()); it != finished.end();
                 it = finished.find(written + ready.size())) {
                ready.push_back(std::move(it->second));
                finished.erase(it);
            }
            doneNow = done;
        }
        for (const auto& [line, ok] : ready) {
            writeFailed = writeFailed || !put(line);
            failed += ok ? 0 : 1;
        }
        written += ready.size();
        if (progress && doneNow != reported && doneNow < total && sinceReport.elapsed() >= 1000) {
            progress(doneNow, total);
            reported = doneNow;
            sinceReport.restart();
        }
    };

    for (std::size_t i = 0; i < total && !writeFailed && !(stopped = stopNow()); ++i) {
        const QString& file = files[static_cast<qsizetype>(i)];
        BatchStar star;
        QString why;
        try {
            why = star.load(file, options.columns);
        } catch (const std::exception& e) {
            why = QString::fromLocal8Bit(e.what());
        }
        if (!why.isEmpty()) {
            const std::lock_guard l(lock);
            finished.emplace(
                i, std::pair{summaryCsvLine(failedRow(file, withoutPath(file, why))), false});
            ++done;
        } else {
            Job job{i, file, std::move(star.data),
                    star.rejected > 0 ? QStringLiteral("%1 lines left out").arg(star.rejected)
                                      : QString()};
            std::unique_lock l(lock);
            while (!stopped && !changed.wait_for(l, std::chrono::milliseconds(250),
                                                 [&] { return queue.size() < capacity; })) {
                l.unlock();
                stopped = stopNow();
                l.lock();
            }
            if (stopped)
                break;
            queue.push_back(std::move(job));
        }
        changed.notify_all();
        flush();
    }
    {
        const std::lock_guard l(lock);
        closed = true;
        if (writeFailed || stopped)
            queue.clear();
    }
    cancel = stopped;
    changed.notify_all();
    while (!writeFailed && !stopped && written < total) {
        {
            std::unique_lock l(lock);
            changed.wait_for(l, std::chrono::milliseconds(250),
                             [&] { return finished.contains(written); });
        }
        flush();
        cancel = stopped = stopNow();
    }
    for (std::thread& t : pool)
        t.join();
    if (stopped)
        return fail(QStringLiteral("Stopped; %1 was not written.").arg(options.summaryFile));
    if (writeFailed || !out.commit())
        return fail(
            QStringLiteral("Cannot write %1: %2").arg(options.summaryFile, out.errorString()));
    if (progress)
        progress(total, total);
    if (failed > 0) {
        outcome.exitCode = 3;
        outcome.err = QStringLiteral("Varilume: %1 of %2 stars failed; the error column of %3 "
                                     "says why.\n")
                          .arg(failed)
                          .arg(total)
                          .arg(options.summaryFile);
    }
    return outcome;
}

int batchSummaryMain(const BatchOptions& options, int argc, char** argv) {
    return runHeadless(argc, argv, [&](const QStringList&) {
        // SIGTERM or Ctrl+C on a long run: the searches stop and the partial
        // summary goes away with its temporary file.
        bool stop = false;
        const ShutdownSignals shutdown([&stop] { stop = true; });
        return runBatchSummary(
            options,
            [](std::size_t done, std::size_t total) {
                std::fprintf(stderr, "%zu/%zu stars\n", done, total);
                std::fflush(stderr);
            },
            0,
            [&stop] {
                QCoreApplication::processEvents();
                return stop;
            });
    });
}

} // namespace varilume
