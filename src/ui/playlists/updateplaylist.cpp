// The playlist form: header, entries list, moves, drops, the chart rollover and the save.
#include "ui/playlists/updateplaylist.h"

#include "app/globals.h"
#include "browse/waitcursor.h"
#include "data/recordchanges.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "playlists/chartrollover.h"
#include "services/messageservice.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"
#include "ui/playlists/playlistentrytable.h"
#include "ui/playlists/updateplaylistdetails.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace melodex {

namespace {

using Direction = RangeMove::Direction;

const store::FileLayout &header()
{
    return PlaylistMasterRecord::fileLayout();
}
int headerField(const char *name)
{
    return header().fieldIndex(QLatin1String(name));
}

// The move buttons' arrows: up or down, with a bar for the moves to an end.
QIcon arrowIcon(bool up, bool toEnd, const QColor &colour)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal tip = up ? 6 : 26, base = up ? 20 : 12;
    const QPointF arrow[3] = {{16, tip}, {5, base}, {27, base}};
    p.drawPolygon(arrow, 3);
    p.drawRect(QRectF(12, up ? base : 6, 8, up ? 8 : base - 6));
    if (toEnd)
        p.drawRect(QRectF(5, up ? 1 : 28, 22, 3));
    return QIcon(pm);
}

QString shown(const QVariant &v, const QString &pic)
{
    return v.typeId() == QMetaType::QString ? picture::format(picture::Value(v.toString()), pic)
                                            : picture::format(picture::Value(v.toLongLong()), pic);
}

} // namespace

UpdatePlaylist::UpdatePlaylist(QWidget *parent) : QDialog(parent), m_session(sessionSettings())
{
    setWindowTitle(QStringLiteral("Update Playlist"));
    setSizeGripEnabled(true);
    buildWindow();
}

UpdatePlaylist::~UpdatePlaylist() = default;

FormSession::Settings UpdatePlaylist::sessionSettings()
{
    FormSession::Settings s;
    s.file = &PlaylistMaster;
    s.lookups = {&PlaylistDetails, &Songlore};
    s.autoNumberKey = PlaylistMasterRecord::KeyPlaylistID;
    s.uniqueKeys = {{PlaylistMasterRecord::KeyPlaylistID, QStringLiteral("PLD:KeyPlaylistID")},
                    {PlaylistMasterRecord::KeyPlaylistDescription, QStringLiteral("Playlists")}};
    s.fields = {{QStringLiteral("&Playlist Description:"),
                 QStringLiteral("PLD:PlaylistDescription"),
                 QStringLiteral("@s30"),
                 {}}};
    s.historyName = QStringLiteral("UpdatePlaylist");
    s.fileName = QStringLiteral("PlaylistMaster");
    // The playlist's entries go with it: the question says how many.
    s.deleteCascade = [](const FormSession &form) {
        return DeleteCascade{QStringLiteral("playlist"),
                             form.value(QStringLiteral("PLD:PlaylistDescription")).toString(),
                             PlaylistEntries::count(
                                 qint32(form.value(QStringLiteral("PLD:PlaylistID")).toLongLong())),
                             QStringLiteral("song entry"), QStringLiteral("song entries")};
    };
    return s;
}

void UpdatePlaylist::buildWindow()
{
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs, 1);

    // Page "Play List": the description, the entries and what works on them.
    auto *list = new QWidget(m_tabs);
    auto *listLayout = new QVBoxLayout(list);
    auto *descRow = new QFormLayout;
    m_description = new QLineEdit(list);
    m_description->setMaxLength(30);
    m_description->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    auto *descLabel = new QLabel(QStringLiteral("&Playlist Description:"), list);
    descLabel->setBuddy(m_description);
    descRow->addRow(descLabel, m_description);
    listLayout->addLayout(descRow);

    auto *middle = new QHBoxLayout;
    m_table = new PlaylistEntryTable(list);
    m_table->setColumnCount(5);
    const QStringList headings{QStringLiteral("Seq"), QStringLiteral("Artist"),
                               QStringLiteral("Title"), QStringLiteral("Time"),
                               QStringLiteral("Notes")};
    const int unit = std::max(fontMetrics().averageCharWidth(), 4);
    const int pad = 3 * unit;
    const int widths[] = {
        fontMetrics().horizontalAdvance(QStringLiteral("99999")) + pad, 26 * unit, 30 * unit,
        fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + pad, 24 * unit};
    for (int c = 0; c < 5; ++c) {
        auto *item = new QTableWidgetItem(headings[c]);
        item->setTextAlignment(c == 0   ? Qt::AlignHCenter | Qt::AlignVCenter
                               : c == 3 ? Qt::AlignRight | Qt::AlignVCenter
                                        : Qt::AlignLeft | Qt::AlignVCenter);
        m_table->setHorizontalHeaderItem(c, item);
        m_table->setColumnWidth(c, widths[c]);
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    middle->addWidget(m_table, 1);

    auto *moves = new QVBoxLayout;
    const QColor arrow = palette().color(QPalette::Highlight);
    struct MoveDef
    {
        Direction direction;
        const char *tip;
        bool up, toEnd;
    };
    const MoveDef defs[] = {{Direction::UpOne, "Move record up one", true, false},
                            {Direction::ToTop, "Move record to the top", true, true},
                            {Direction::DownOne, "Move record down one", false, false},
                            {Direction::ToBottom, "Move record to the bottom", false, true}};
    m_moves.resize(4);
    moves->addStretch(1);
    for (const MoveDef &d : defs) {
        auto *b = new QToolButton(list);
        b->setIcon(arrowIcon(d.up, d.toEnd, arrow));
        b->setIconSize(QSize(22, 22));
        b->setToolTip(QLatin1String(d.tip));
        b->setStatusTip(QLatin1String(d.tip));
        b->setAutoRaise(false);
        const Direction dir = d.direction;
        connect(b, &QToolButton::clicked, this, [this, dir] { moveEntry(dir); });
        m_moves[size_t(dir)] = b;
        moves->addWidget(b);
    }
    moves->addStretch(1);
    middle->addLayout(moves);
    listLayout->addLayout(middle, 1);

    auto *buttons = new QHBoxLayout;
    m_chart = new QPushButton(QStringLiteral("Char&t"), list);
    m_chart->setToolTip(QStringLiteral("Copy the current chart order into the last week column"));
    m_add = new QPushButton(QStringLiteral("&Add"), list);
    m_change = new QPushButton(QStringLiteral("&Change"), list);
    m_delete = new QPushButton(QStringLiteral("&Delete"), list);
    for (QPushButton *b : {m_chart, m_add, m_change, m_delete}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto *totalLabel = new QLabel(QStringLiteral("Total Time:"), list);
    m_total = new QLabel(list);
    m_total->setObjectName(QStringLiteral("totalTime"));
    m_total->setFrameShape(QFrame::StyledPanel);
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_total->setMinimumWidth(unit * 10);
    buttons->addWidget(totalLabel);
    buttons->addWidget(m_total);
    listLayout->addLayout(buttons);
    auto *hint =
        new QLabel(QStringLiteral("Drag from the \"Songs\" window and drop on the Playlist"), list);
    hint->setEnabled(false);
    listLayout->addWidget(hint);
    m_tabs->addTab(list, QStringLiteral("Play List"));

    // Page "Notes".
    auto *notesPage = new QWidget(m_tabs);
    auto *notesLayout = new QVBoxLayout(notesPage);
    m_notes = new QPlainTextEdit(notesPage);
    notesLayout->addWidget(m_notes, 1);
    auto *dateRow = new QFormLayout;
    m_lastEdit = new QLabel(notesPage);
    m_lastEdit->setFrameShape(QFrame::StyledPanel);
    dateRow->addRow(QStringLiteral("Last Edit Date:"), m_lastEdit);
    notesLayout->addLayout(dateRow);
    m_tabs->addTab(notesPage, QStringLiteral("Notes"));

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("&Ok"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    bottom->addWidget(m_ok);
    bottom->addWidget(m_cancel);
    layout->addLayout(bottom);

    connect(m_ok, &QPushButton::clicked, this, &UpdatePlaylist::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &UpdatePlaylist::pressCancel);
    connect(m_chart, &QPushButton::clicked, this, &UpdatePlaylist::chart);
    connect(m_add, &QPushButton::clicked, this, &UpdatePlaylist::addEntry);
    connect(m_change, &QPushButton::clicked, this, &UpdatePlaylist::changeEntry);
    connect(m_delete, &QPushButton::clicked, this, &UpdatePlaylist::deleteEntry);
    connect(m_table, &PlaylistEntryTable::insertPressed, this, &UpdatePlaylist::addEntry);
    connect(m_table, &PlaylistEntryTable::deletePressed, this, &UpdatePlaylist::deleteEntry);
    connect(m_table, &PlaylistEntryTable::enterPressed, this, &UpdatePlaylist::changeEntry);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { changeEntry(); });
    connect(m_table, &PlaylistEntryTable::songDropped, this, &UpdatePlaylist::dropSong);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &UpdatePlaylist::updateButtons);

    setMinimumSize(dialogUnits(this, QSize(300, 190)).expandedTo(minimumSizeHint()));
    resize(dialogUnits(this, QSize(460, 240)).expandedTo(minimumSize()));
}

QToolButton *UpdatePlaylist::moveButton(Direction direction) const
{
    return m_moves[size_t(direction)];
}

qint32 UpdatePlaylist::playlistId() const
{
    return qint32(m_session.value(headerField("PlaylistID")).toLongLong());
}

void UpdatePlaylist::run(QWidget *caller, FormDone then)
{
    openForm(caller, std::make_unique<UpdatePlaylist>(caller), std::move(then));
}

bool UpdatePlaylist::start()
{
    if (!m_session.start()) {
        m_closed = true;
        return false;
    }
    if (m_session.request() == InsertRecord) {
        setWindowTitle(QStringLiteral("Adding a Playlist Record"));
        m_header = PlaylistMaster.position();
    } else {
        setWindowTitle(QStringLiteral("Changing a Playlist Record"));
    }
    redisplay();
    reload();
    return true;
}

void UpdatePlaylist::redisplay()
{
    m_description->setText(m_session.displayText(0));
    m_notes->setPlainText(m_session.value(headerField("Notes")).toString());
    m_lastEdit->setText(shown(m_session.value(headerField("LastEditDate")),
                              picture::withDateFormat(u"@d18", GLO.DateFormat)));
}

void UpdatePlaylist::reload(qint64 highlightId)
{
    const int previous = currentEntry();
    {
        WaitCursor wait;
        m_entries = PlaylistEntries::load(playlistId());
    }
    const QString timePicture = QStringLiteral("@t4");
    m_table->setRowCount(int(m_entries.size()));
    int highlight = -1;
    for (int r = 0; r < int(m_entries.size()); ++r) {
        const PlaylistEntries::Entry &e = m_entries[size_t(r)];
        if (highlightId != 0 && e.position.id == highlightId)
            highlight = r;
        const QString texts[] = {QString::number(e.sequence), e.artist, e.title,
                                 e.time > 0 ? shown(qint64(e.time), timePicture) : QString(),
                                 e.notes};
        for (int c = 0; c < 5; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(c == 0 || c == 3 ? Qt::AlignRight | Qt::AlignVCenter
                                                    : Qt::AlignLeft | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_total->setText(PlaylistEntries::timeText(PlaylistEntries::totalTime(m_entries)));
    if (highlight < 0 && !m_entries.empty())
        highlight = std::clamp(previous, 0, int(m_entries.size()) - 1);
    setCurrentEntry(highlight);
    updateButtons();
}

int UpdatePlaylist::currentEntry() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void UpdatePlaylist::setCurrentEntry(int row)
{
    if (row < 0 || row >= m_table->rowCount()) {
        m_table->clearSelection();
        return;
    }
    m_table->selectRow(row);
    m_table->scrollToItem(m_table->item(row, 0));
}

void UpdatePlaylist::updateButtons()
{
    const int row = currentEntry();
    const bool any = row >= 0;
    m_change->setEnabled(any);
    m_delete->setEnabled(any);
    m_chart->setEnabled(!m_entries.empty());
    moveButton(Direction::UpOne)->setEnabled(row > 0);
    moveButton(Direction::ToTop)->setEnabled(row > 0);
    moveButton(Direction::DownOne)->setEnabled(any && row + 1 < int(m_entries.size()));
    moveButton(Direction::ToBottom)->setEnabled(any && row + 1 < int(m_entries.size()));
}

// --- the entries -----------------------------------------------------------------------------

void UpdatePlaylist::moveEntry(Direction direction)
{
    const int row = currentEntry();
    if (m_busy || row < 0)
        return;
    RangeMove mover = PlaylistEntries::mover();
    {
        WaitCursor wait;
        mover.move(m_entries[size_t(row)].position, direction);
    }
    reload(m_entries[size_t(row)].position.id);
    m_table->setFocus();
}

void UpdatePlaylist::entryForm(int request)
{
    if (m_busy)
        return;
    const int row = currentEntry();
    if (request != InsertRecord) {
        if (row < 0)
            return;
        if (PlaylistDetails.reget(m_entries[size_t(row)].position) != 0) {
            reload();
            return;
        }
    } else {
        PLA.clear();
        PLA.PlaylistID = playlistId();
    }
    m_busy = true;
    GLO.ActionRequest = request;
    UpdatePlaylistDetails::open(this, [this, request](int response) {
        m_busy = false;
        const qint64 id = response == RequestCompleted && request != DeleteRecord
                              ? PlaylistDetails.position().id
                              : 0;
        reload(id);
        m_table->setFocus();
    });
}

void UpdatePlaylist::addEntry()
{
    entryForm(InsertRecord);
}

void UpdatePlaylist::changeEntry()
{
    entryForm(ChangeRecord);
}

void UpdatePlaylist::deleteEntry()
{
    entryForm(DeleteRecord);
}

void UpdatePlaylist::dropSong(const QString &songNumber)
{
    if (m_busy)
        return;
    bool ok = false;
    const qint64 song = songNumber.trimmed().toLongLong(&ok);
    // Only a song that exists becomes an entry; anything else would stand in the playlist as a
    // blank line.
    if (!ok || !PlaylistEntries::songExists(song)) {
        StandardWarning(StandardMessage::FieldContentsError, QStringLiteral("PLA:ID"),
                        QStringLiteral("Songlore"));
        return;
    }
    int rc;
    {
        WaitCursor wait;
        rc = PlaylistEntries::add(playlistId(), song);
    }
    reload(rc == 0 ? PlaylistDetails.position().id : 0);
}

void UpdatePlaylist::chart()
{
    if (m_busy || m_entries.empty() || !ChartRollover::confirm())
        return;
    m_busy = true;
    auto *progress = new BatchProgressWindow(std::make_unique<ChartRollover>(playlistId()), this);
    progress->setWindowModality(Qt::WindowModal);
    connect(progress, &BatchProgressWindow::finished, this, [this, progress] {
        progress->deleteLater();
        m_busy = false;
        reload();
        Q_EMIT chartDone();
    });
    if (!progress->start()) {
        progress->deleteLater();
        m_busy = false;
    }
}

// --- saving ------------------------------------------------------------------------------------

bool UpdatePlaylist::acceptDescription()
{
    if (m_session.acceptField(0, m_description->text()) == FormSession::Accept::Ok)
        return true;
    QApplication::beep();
    m_tabs->setCurrentIndex(0);
    m_description->setFocus();
    return false;
}

void UpdatePlaylist::pressOk()
{
    if (m_closed || m_busy)
        return;
    if (!acceptDescription())
        return;
    m_session.setValue(headerField("Notes"), m_notes->toPlainText());
    m_session.setValue(headerField("LastEditDate"), qint64(picture::todayDayNumber()));
    const FormSession::Completion c = m_session.complete();
    if (c.closed) {
        done(m_session.response() == RequestCompleted ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    redisplay();
    if (c.focusField == 0) {
        m_tabs->setCurrentIndex(0);
        m_description->setFocus();
        m_description->selectAll();
    }
}

void UpdatePlaylist::pressCancel()
{
    m_session.cancel();
    done(QDialog::Rejected);
}

void UpdatePlaylist::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, QStringLiteral("UpdatePlaylist"));
    m_description->setFocus();
}

void UpdatePlaylist::done(int result)
{
    if (m_busy && result != QDialog::Accepted) {
        // An entry form or the rollover is open on top of this one.
        return;
    }
    if (!m_closed) {
        m_closed = true;
        if (m_session.response() != RequestCompleted) {
            m_session.cancel();
            // A new playlist given up goes with the entries added to it meanwhile.
            if (!m_header.isNull() && !m_entries.empty() && PlaylistMaster.isOpen()) {
                PlaylistMaster.buffer().setValues(m_session.values());
                PlaylistMaster.setCurrent(m_header);
                PlaylistMaster.reget(m_header);
                RIDelete_PlaylistMaster();
            }
        }
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, QStringLiteral("UpdatePlaylist"));
        m_session.close();
    }
    QDialog::done(result);
}

} // namespace melodex
