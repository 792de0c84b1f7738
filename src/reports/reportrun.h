// The record loop of a report: reads its records in key order and lays out their pages.
#pragma once

#include "platform/print/pagecanvas.h"
#include "platform/print/pagelist.h"
#include "platform/print/printdestination.h"
#include "platform/store/cursor.h"
#include "platform/store/fileuses.h"
#include "reports/reportdefinition.h"
#include "reports/reportpager.h"
#include "reports/steppedrun.h"

#include <QDate>
#include <QHash>

#include <functional>
#include <memory>
#include <optional>

namespace melodex::store {
class View;
} // namespace melodex::store

namespace melodex::reports {

/// What the caller chose before the run: the criteria globals as they stand, the query's
/// filter, and the custom font when one was asked for and chosen.
struct ReportOptions
{
    bool preview = true;
    QString selectedOrAll = QStringLiteral("All");
    QString selection;
    QString filter;
    std::optional<ReportFont> font;
    /// The run date; today when not set.
    std::optional<QDate> runDate;
    /// The whole run reads in one transaction, so that what it prints is one state of the files
    /// however other processes change them meanwhile (their writes wait for it); a write-back
    /// takes the write lock when the run starts. Only for a run that no event loop interrupts:
    /// nothing else of the process may write during it.
    bool oneTransaction = false;
};

/// One run of a report. start() finds the first record and opens the report; step() lays out a
/// cycle of records (25, or 1 once a cancel was confirmed); requestCancel() asks the two cancel
/// questions; finish() ends the run and says whether the pages are to be previewed, and
/// printPreviewed() sends them to the printer when the preview asked for it. Every message
/// goes through the message service, so the whole run works without a window.
///
/// Pages go into a page list (spooled to a temporary file) when they are to be previewed or
/// when copies must be made from the list; otherwise straight to the printer.
class ReportRun : public SteppedRun
{
public:
    enum class Outcome {
        Nothing, ///< nothing printed or shown (cancelled, no records, a failure)
        Preview, ///< the page list is to be shown; then printPreviewed() or nothing
        Printed, ///< the pages went to the printer
    };
    static constexpr int RecordsPerCycle = 25;

    ReportRun(const ReportDefinition &definition, print::PrintDestination &printer,
              ReportOptions options);
    ~ReportRun() override;
    ReportRun(const ReportRun &) = delete;
    ReportRun &operator=(const ReportRun &) = delete;

    /// "Generating Report" when previewing, "Printing Report" otherwise.
    QString caption() const override;

    /// Opens the files and the view, reads up to the first record that is not left out and
    /// opens the report. False when there is nothing to lay out (no such record, a filter that
    /// cannot be used, a file that cannot be opened): the run is then over, cancelled, and
    /// finish() needs no call.
    bool start();
    /// Lays out up to recordsPerCycle() records; the state after them.
    State step() override;
    /// Lays out up to `records` records (the command line takes larger steps).
    State step(int records);
    /// The Cancel button or Escape: "Are you sure you want to CANCEL this Report?", and with a
    /// preview and pages made, whether to preview them. The run's state says the outcome.
    void requestCancel() override;

    /// Ends the run: read-ahead off, the last page ended, the pages sent to the printer or
    /// kept for the preview, "Nothing to Preview." / "Nothing to Print." when a completed run
    /// made no page, the files closed.
    Outcome finish();
    /// Prints the previewed page list with the copies asked for; false (shown) on a failure.
    bool printPreviewed();

    State state() const override { return m_state; }
    int recordsPerCycle() const { return m_perCycle; }
    qint64 recordsToProcess() const { return m_total; }
    qint64 recordsProcessed() const { return m_processed; }
    qint64 linesLaidOut() const { return m_pager ? m_pager->lineCount() : m_lines; }
    int percent() const { return m_percent; }
    /// "N% Completed".
    QString percentText() const;
    bool previewSoFar() const { return m_previewSoFar; }
    bool toPageList() const { return m_toList; }
    const print::PageList &pages() const { return m_pages; }
    int pagesLaidOut() const;
    QString runDateText() const { return m_runDate; }
    const ReportLayout &layout() const { return m_layout; }

    /// Called whenever the whole percentage changes (the window redraws only then).
    void onPercentChanged(std::function<void(int)> callback) override
    {
        m_percentChanged = std::move(callback);
    }

private:
    enum class RecordStatus { Ok, OutOfRange, Filtered };

    RecordStatus readRecord();
    bool selected() const;
    bool openReport();
    const std::vector<store::Value> *joined(size_t join, const store::Value &key);
    void closeFiles();
    bool sendPages(int copies, bool collate);
    bool beginTransaction(const std::vector<store::KeyedFile *> &files);
    bool writeBack();
    /// Commits (`keep`) or rolls back the run's transaction; false when a commit failed.
    bool endTransaction(bool keep);

    ReportDefinition m_def;
    print::PrintDestination &m_printer;
    ReportOptions m_options;
    ReportLayout m_layout;

    State m_state = State::Idle;
    int m_perCycle = RecordsPerCycle;
    qint64 m_total = 0;
    qint64 m_processed = 0;
    int m_percent = 0;
    bool m_previewSoFar = false;
    bool m_reportOpened = false;
    bool m_toList = false;
    bool m_finished = false;
    int m_copies = 1;
    qint64 m_lines = 0; ///< lines and pages laid out, kept when the pager goes
    int m_pagesDone = 0;
    bool m_collate = false;
    bool m_inTransaction = false;
    QString m_runDate;
    QString m_selection; ///< upper-cased, right-trimmed; null when every record prints

    store::FileUses m_uses;
    std::unique_ptr<store::View> m_view;
    std::vector<store::Cursor::Row> m_block;
    size_t m_blockPos = 0;
    bool m_blockEnd = false;
    store::Cursor::Row m_current;
    ReportRecord m_record;
    struct JoinCache
    {
        std::unique_ptr<store::Cursor> cursor;
        QHash<qint64, std::vector<store::Value>> rows;
        QHash<QString, std::vector<store::Value>> textRows;
    };
    std::vector<JoinCache> m_joins;

    print::PageList m_pages;
    std::unique_ptr<print::PageCanvas> m_canvas;
    std::unique_ptr<ReportPager> m_pager;
    std::function<void(int)> m_percentChanged;
};

} // namespace melodex::reports
