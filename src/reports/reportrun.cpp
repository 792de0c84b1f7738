// The record loop of a report: reads its records in key order and lays out their pages.
#include "reports/reportrun.h"

#include "data/standardwarning.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/print/pagelistcanvas.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"
#include "platform/store/store.h"
#include "platform/store/view.h"
#include "services/messageservice.h"

#include <algorithm>
#include <iterator>

namespace melodex::reports {

namespace {

const QString QuickScanOn = QStringLiteral("QUICKSCAN=on");
const QString QuickScanOff = QStringLiteral("QUICKSCAN=off");
// Rows read in one statement: the scan reads ahead of the records laid out.
constexpr int ReadAhead = 256;

QString rightTrimmed(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

void note(const QString &text)
{
    MessageService::instance().show(MessageRequest{QStringLiteral("NOTE..."), text,
                                                   MessageRequest::Information, MessageRequest::Ok,
                                                   MessageRequest::Ok});
}

void failure(const QString &caption, const QString &text)
{
    MessageService::instance().show(MessageRequest{caption, text, MessageRequest::Warning,
                                                   MessageRequest::Ok, MessageRequest::Ok});
}

// The store's last error as a sentence's end: the driver's own words for a driver failure.
QString storeErrorText()
{
    const store::ErrorState &e = store::lastError();
    QString text =
        e.code == store::FileSystemErr && !e.driverText.isEmpty() ? e.driverText : e.text;
    if (!e.fileName.isEmpty())
        text += QStringLiteral(" (%1)").arg(e.fileName);
    return text;
}

} // namespace

ReportRun::ReportRun(const ReportDefinition &definition, print::PrintDestination &printer,
                     ReportOptions options)
    : m_def(definition), m_printer(printer), m_options(std::move(options))
{
}

ReportRun::~ReportRun()
{
    if (!m_finished && m_state != State::Idle) {
        // Abandoned while running: nothing is printed, and the files are left as found.
        m_state = State::Cancelled;
        if (m_canvas)
            m_canvas->abort();
        m_view.reset();
        if (m_def.file->isOpen())
            m_def.file->send(QuickScanOff);
        for (const ReportJoin &j : m_def.joins)
            if (j.file->isOpen())
                j.file->send(QuickScanOff);
        closeFiles();
    }
}

QString ReportRun::caption() const
{
    return m_options.preview ? QStringLiteral("Generating Report")
                             : QStringLiteral("Printing Report");
}

QString ReportRun::percentText() const
{
    return QString::number(m_percent) + QStringLiteral("% Completed");
}

int ReportRun::pagesLaidOut() const
{
    return m_pager ? m_pager->pageCount() : m_pagesDone;
}

bool ReportRun::start()
{
    if (m_state != State::Idle)
        return m_state == State::Running;
    m_state = State::Cancelled; // until the run completes

    // Each file is closed again only by its last user.
    std::vector<store::KeyedFile *> files{m_def.file};
    for (const ReportJoin &j : m_def.joins)
        files.push_back(j.file);
    if (!m_uses.open(files) || (m_options.oneTransaction &&
                                !beginTransaction(m_def.writes.empty() ? files : m_def.writes))) {
        closeFiles();
        m_finished = true;
        return false;
    }

    m_layout = m_def.layout ? m_def.layout() : ReportLayout{};
    if (m_options.font)
        m_options.font->applyTo(m_layout);
    const QDate runDate = m_options.runDate.value_or(QDate::currentDate());
    m_runDate =
        picture::format(picture::Value(qint64(picture::dayNumber(runDate))), QStringView(u"@d4"));
    if (rightTrimmed(m_options.selectedOrAll) == QLatin1String("Selected") && m_def.selectionText)
        m_selection = rightTrimmed(m_options.selection).toUpper();

    m_total = m_def.file->records();
    m_perCycle = RecordsPerCycle;
    m_percent = 0;

    m_view = std::make_unique<store::View>(*m_def.file);
    m_view->setOrder(m_def.key);
    QStringList parts;
    if (!m_def.fixedFilter.trimmed().isEmpty())
        parts << m_def.fixedFilter;
    if (!m_options.filter.trimmed().isEmpty())
        parts << m_options.filter;
    m_view->setFilterParts(parts);
    for (const ReportJoin &j : m_def.joins) {
        if (j.fromSource == 0)
            m_view->addLookup(*j.file, j.otherField, j.ownField);
    }
    const QString selectedOrAll = m_options.selectedOrAll;
    const QString selection = m_options.selection;
    m_view->bind(QStringLiteral("SelectedOrAll"), [selectedOrAll] { return selectedOrAll; });
    m_view->bind(QStringLiteral("ReportSelection"), [selection] { return selection; });
    if (m_def.bind)
        m_def.bind(*m_view);
    m_joins.clear();
    m_joins.resize(m_def.joins.size());

    for (const ReportJoin &j : m_def.joins)
        j.file->send(QuickScanOn);
    m_def.file->send(QuickScanOn);
    m_state = State::Running;

    if (m_view->open() != 0) {
        // A filter that cannot be used would print every record; nothing is printed instead.
        failure(QStringLiteral("View Open Error"),
                QStringLiteral("The report's filter cannot be used: %1.\nNothing was printed.")
                    .arg(m_view->filterError().isEmpty() ? store::lastError().text
                                                         : m_view->filterError()));
        m_state = State::Cancelled;
        finish();
        return false;
    }
    m_view->set();

    RecordStatus status;
    do
        status = readRecord();
    while (status == RecordStatus::Filtered);
    if (status == RecordStatus::OutOfRange) {
        // No record to print: the run ends quietly, without a page.
        m_state = State::Cancelled;
        finish();
        return false;
    }
    if (!openReport()) {
        m_state = State::Cancelled;
        finish();
        return false;
    }
    return true;
}

bool ReportRun::beginTransaction(const std::vector<store::KeyedFile *> &files)
{
    store::Store &st = store::Store::instance();
    if (m_def.writes.empty() ? st.beginRead() != 0 : st.logout(m_def.writes) != 0) {
        failure(QStringLiteral("Report Error"),
                (m_def.writes.empty() ? QStringLiteral("The report's files cannot be read: %1.")
                                      : QStringLiteral("The report cannot save its changes: %1."))
                        .arg(storeErrorText()) +
                    QStringLiteral("\nNothing was printed."));
        return false;
    }
    m_inTransaction = true;
    // Each file is read at once, so the run sees all of them as they stand now.
    for (store::KeyedFile *f : files)
        f->records();
    return true;
}

bool ReportRun::writeBack()
{
    if (!m_inTransaction && !beginTransaction(m_def.writes))
        return false;
    if (m_def.afterRun())
        return true;
    failure(QStringLiteral("Report Error"),
            QStringLiteral("The report's changes could not be saved: %1.\nNothing was printed.")
                .arg(storeErrorText()));
    endTransaction(false);
    return false;
}

bool ReportRun::endTransaction(bool keep)
{
    if (!m_inTransaction)
        return !keep;
    m_inTransaction = false;
    store::Store &st = store::Store::instance();
    if (keep)
        return st.commit() == 0;
    st.rollback();
    return true;
}

bool ReportRun::openReport()
{
    m_reportOpened = true;
    m_copies = std::max(1, m_printer.copies());
    m_collate = m_copies > 1 && m_printer.collateCopies();
    if (m_layout.isCards())
        m_printer.setPageSize(m_layout.cardSize, m_layout.cardMargins);
    else
        m_printer.setOrientation(m_layout.orientation);
    // Copies the driver cannot make, and collated sets, are made from the page list.
    m_toList = m_options.preview || (m_copies > 1 && !m_printer.supportsCopies()) || m_collate;

    const QPageLayout page = m_printer.pageLayout();
    if (m_toList) {
        m_canvas = std::make_unique<print::PageListCanvas>(m_pages, page.fullRectPoints().size());
    } else {
        m_canvas = m_printer.openDirect();
        if (!m_canvas) {
            failure(QStringLiteral("Print Error"), m_printer.errorText());
            return false;
        }
    }
    m_pager = std::make_unique<ReportPager>(m_layout, *m_canvas, page.paintRectPoints(), m_runDate);
    return true;
}

const std::vector<store::Value> *ReportRun::joined(size_t join, const store::Value &key)
{
    const ReportJoin &j = m_def.joins[join];
    JoinCache &cache = m_joins[join];
    const bool isText = key.typeId() == QMetaType::QString;
    if (isText ? key.toString().trimmed().isEmpty() : key.toLongLong() == 0)
        return nullptr;
    if (isText) {
        const auto it = cache.textRows.constFind(key.toString());
        if (it != cache.textRows.cend())
            return it->empty() ? nullptr : &*it;
    } else {
        const auto it = cache.rows.constFind(key.toLongLong());
        if (it != cache.rows.cend())
            return it->empty() ? nullptr : &*it;
    }
    if (!cache.cursor) {
        cache.cursor = std::make_unique<store::Cursor>(*j.file);
        cache.cursor->setOrder(j.key);
    }
    std::vector<store::Value> values;
    store::Cursor::Row row;
    cache.cursor->toValue({key});
    if (cache.cursor->step(true, row) == 0) {
        const store::Value &found = row.values[size_t(j.otherField)];
        const bool same = isText ? found.toString().trimmed().compare(key.toString().trimmed(),
                                                                      Qt::CaseInsensitive) == 0
                                 : found.toLongLong() == key.toLongLong();
        if (same)
            values = std::move(row.values);
    }
    // Reports over many records meet few distinct joined records; the cache stays small, and
    // is dropped rather than grown without end.
    if (cache.rows.size() + cache.textRows.size() > 65536) {
        cache.rows.clear();
        cache.textRows.clear();
    }
    const std::vector<store::Value> &stored =
        isText ? *cache.textRows.insert(key.toString(), std::move(values))
               : *cache.rows.insert(key.toLongLong(), std::move(values));
    return stored.empty() ? nullptr : &stored;
}

ReportRun::RecordStatus ReportRun::readRecord()
{
    if (m_blockPos >= m_block.size()) {
        if (m_blockEnd)
            return RecordStatus::OutOfRange;
        m_block.clear();
        m_blockPos = 0;
        if (m_view->fetch(true, ReadAhead, m_block) != 0) {
            StandardWarning(StandardMessage::RecordRetrievalError, m_def.file->label());
            m_blockEnd = true;
            m_block.clear();
            return RecordStatus::OutOfRange;
        }
        m_blockEnd = int(m_block.size()) < ReadAhead;
        if (m_def.order) {
            // Every record first, then in the definition's order.
            while (!m_blockEnd) {
                std::vector<store::Cursor::Row> more;
                if (m_view->fetch(true, ReadAhead, more) != 0) {
                    StandardWarning(StandardMessage::RecordRetrievalError, m_def.file->label());
                    m_block.clear();
                    break;
                }
                m_blockEnd = int(more.size()) < ReadAhead;
                std::move(more.begin(), more.end(), std::back_inserter(m_block));
            }
            m_blockEnd = true;
            std::stable_sort(m_block.begin(), m_block.end(),
                             [this](const store::Cursor::Row &a, const store::Cursor::Row &b) {
                                 return m_def.order(a.values, b.values);
                             });
        }
        if (m_block.empty())
            return RecordStatus::OutOfRange;
    }
    m_current = std::move(m_block[m_blockPos++]);

    ++m_processed;
    if (m_percent < 100 && m_total > 0) {
        const int percent = int(std::min<qint64>(100, m_processed * 100 / m_total));
        if (percent != m_percent) {
            m_percent = percent;
            if (m_percentChanged)
                m_percentChanged(m_percent);
        }
    }

    m_record.setRow(0, &m_current.values);
    for (size_t j = 0; j < m_def.joins.size(); ++j)
        m_record.setRow(int(j + 1), joined(j, m_record.value(m_def.joins[j].fromSource,
                                                             m_def.joins[j].ownField)));
    if (m_def.skip && m_def.skip(m_record))
        return RecordStatus::Filtered;
    return RecordStatus::Ok;
}

bool ReportRun::selected() const
{
    if (m_selection.isNull() || m_selection.isEmpty())
        return true;
    const QString key = m_def.selectionText(m_record).toUpper();
    return key.startsWith(m_selection);
}

ReportRun::State ReportRun::step()
{
    return step(m_perCycle);
}

ReportRun::State ReportRun::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    for (int i = 0; i < records; ++i) {
        const bool prints = selected();
        if (prints && m_def.beforeLine)
            m_def.beforeLine(m_record);
        if (prints && !m_pager->addRecord(m_record)) {
            failure(QStringLiteral("Print Error"),
                    QStringLiteral("The report's pages could not be kept: %1")
                        .arg(m_pager->errorText()));
            m_state = State::Cancelled;
            return m_state;
        }
        RecordStatus status;
        do
            status = readRecord();
        while (status == RecordStatus::Filtered);
        if (status == RecordStatus::OutOfRange) {
            m_state = State::Completed;
            break;
        }
    }
    return m_state;
}

void ReportRun::requestCancel()
{
    if (m_state != State::Running)
        return;
    const int sure = MessageService::instance().show(MessageRequest{
        QStringLiteral("Question"), QStringLiteral("Are you sure you want to CANCEL this Report?"),
        MessageRequest::Question, MessageRequest::Yes | MessageRequest::No, MessageRequest::No});
    if (sure != MessageRequest::Yes)
        return;
    m_perCycle = 1;
    if (m_options.preview && pagesLaidOut() > 0) {
        const int answer = MessageService::instance().show(MessageRequest{
            QStringLiteral("Question"),
            QStringLiteral("Report Cancellation Requested!\n\nPreview Report generated so far?"),
            MessageRequest::Question,
            MessageRequest::Yes | MessageRequest::No | MessageRequest::Ignore, MessageRequest::No});
        if (answer == MessageRequest::Ignore)
            return; // the run goes on, a record per cycle
        if (answer == MessageRequest::Yes) {
            m_previewSoFar = true;
            m_state = State::Completed;
            return;
        }
    }
    m_state = State::Cancelled;
}

bool ReportRun::sendPages(int copies, bool collate)
{
    // A driver that makes copies gets one set and the count; otherwise the list is repeated.
    const bool driverCopies = copies > 1 && !collate && m_printer.supportsCopies();
    const int saved = m_printer.copies();
    m_printer.setCopies(driverCopies ? copies : 1);
    const bool ok = m_printer.printPages(
        m_pages, print::copiesOrder(m_pages.count(), driverCopies ? 1 : copies, collate));
    m_printer.setCopies(saved);
    if (!ok)
        failure(QStringLiteral("Print Error"), m_printer.errorText());
    return ok;
}

ReportRun::Outcome ReportRun::finish()
{
    if (m_finished)
        return Outcome::Nothing;
    m_finished = true;
    if (m_state == State::Running)
        m_state = State::Cancelled;
    m_view.reset();
    for (const ReportJoin &j : m_def.joins)
        j.file->send(QuickScanOff);
    m_def.file->send(QuickScanOff);

    Outcome outcome = Outcome::Nothing;
    // A write-back and the pages go out together or not at all: the change waits in its
    // transaction until the pages are out, and a file that can wait is put in place only once
    // the change is saved.
    const bool wrote = m_state == State::Completed && m_reportOpened && m_def.afterRun;
    if (wrote && !writeBack())
        m_state = State::Cancelled;
    const bool completed = m_state == State::Completed;
    const bool held = wrote && completed && !m_options.preview && m_printer.canHoldResult();
    if (held)
        m_printer.holdResult();
    if (!m_reportOpened) {
        // Nothing was laid out: no record, or the run could not start.
    } else if (!completed) {
        // A cancelled run prints nothing; a job already begun on the printer is abandoned.
        if (!m_toList && m_canvas)
            m_canvas->abort();
        m_pages.clear();
    } else if (m_options.preview) {
        m_pager->finish();
        m_canvas->finish();
        if (m_pages.count() > 0)
            outcome = Outcome::Preview;
        else
            note(QStringLiteral("Nothing to Preview."));
    } else if (m_toList) {
        m_pager->finish();
        m_canvas->finish();
        if (m_pages.count() > 0) {
            if (sendPages(m_copies, m_collate))
                outcome = Outcome::Printed;
        } else {
            note(QStringLiteral("Nothing to Print."));
        }
        m_pages.clear();
    } else {
        const bool laidOut = m_pager->finish();
        const int pages = m_pager->pageCount();
        if (pages == 0) {
            // An empty job is not sent at all; saying so beats printing nothing in silence.
            m_canvas->abort();
            note(QStringLiteral("Nothing to Print."));
        } else if (!laidOut || !m_canvas->finish()) {
            failure(QStringLiteral("Print Error"), m_canvas->errorText().isEmpty()
                                                       ? m_printer.errorText()
                                                       : m_canvas->errorText());
        } else {
            outcome = Outcome::Printed;
        }
    }
    if (m_pager) {
        m_lines = m_pager->lineCount();
        m_pagesDone = m_pager->pageCount();
    }
    m_pager.reset();
    m_canvas.reset();

    const bool keep = wrote && completed && outcome != Outcome::Nothing;
    if (!endTransaction(keep) && keep) {
        failure(
            QStringLiteral("Report Error"),
            QStringLiteral("The report's changes could not be saved: %1.").arg(storeErrorText()) +
                (outcome == Outcome::Printed && !held
                     ? QStringLiteral("\nThe pages were printed without them.")
                     : QStringLiteral("\nNothing was printed.")));
        outcome = Outcome::Nothing;
    }
    if (outcome == Outcome::Printed && held && !m_printer.placeHeld()) {
        failure(QStringLiteral("Print Error"),
                m_printer.errorText() + QStringLiteral("\nThe report's changes were saved."));
        outcome = Outcome::Nothing;
    }
    if (outcome != Outcome::Printed)
        m_printer.dropHeld();
    closeFiles();
    return outcome;
}

bool ReportRun::printPreviewed()
{
    if (m_pages.isEmpty())
        return false;
    const bool ok = sendPages(m_copies, m_collate);
    m_pages.clear();
    return ok;
}

void ReportRun::closeFiles()
{
    m_view.reset();
    for (JoinCache &j : m_joins)
        j.cursor.reset();
    endTransaction(false);
    // The report's own file last: joins were opened after it.
    m_uses.clear();
}

} // namespace melodex::reports
