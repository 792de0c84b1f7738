// The album form's list of its songs: reading them in track order, and dragging songs.
#include "ui/albums/albumsonglist.h"

#include "albums/albumsongs.h"
#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/listformat.h"
#include "data/records.h"
#include "platform/picture/format.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>

namespace melodex {

namespace {

const QString &songsFormat()
{
    static const QString format = QStringLiteral("Songs");
    return format;
}
const QString &section()
{
    static const QString s = QStringLiteral("UpdateAlbums");
    return s;
}
const QString &listName()
{
    static const QString s = QStringLiteral("?Browse:2");
    return s;
}

// Track, artist, title, time, media, file number, release date.
const QString &designedFormat()
{
    static const QString format = QStringLiteral("60L~Track Number~L@n3@#1#M|"
                                                 "100L~Artist~L@s30@#2#M|"
                                                 "100L~Title~L@s30@#3#M|"
                                                 "48L~Time~L@t4b@#4#M|"
                                                 "60L~Media~L@s20@#5#M|"
                                                 "56L~File Number~L@s10@#6#M|"
                                                 "64R~Release Date~C@d17b@#7#M|");
    return format;
}

const char *const ColumnFields[] = {"TrackNumber", "Artist",     "Title",      "Time",
                                    "Media",       "FileNumber", "ReleaseDate"};

Qt::Alignment alignmentOf(QChar j)
{
    if (j == u'R' || j == u'D')
        return Qt::AlignRight | Qt::AlignVCenter;
    if (j == u'C')
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

AlbumSongList::AlbumSongList(QWidget *parent) : QTableWidget(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    // Date columns take the date preference when they are shown, so the format kept is the
    // design's own, whatever the preference of the day.
    m_format = ListFormat::restore(WindowStateIni, section(), listName(), designedFormat());
    applyFormat();
}

AlbumSongList::~AlbumSongList()
{
    // Widths dragged with the mouse are kept with the format.
    if (auto parsed = ListFormat::parse(m_format)) {
        const int unit = std::max(fontMetrics().averageCharWidth(), 4);
        for (size_t i = 0; i < parsed->columns.size() && int(i) < columnCount(); ++i)
            parsed->columns[i].width = std::max(1, columnWidth(int(i)) * 4 / unit);
        m_format = parsed->toString();
    }
    ListFormat::save(WindowStateIni, section(), listName(), m_format);
}

void AlbumSongList::applyFormat()
{
    auto parsed = ListFormat::parse(m_format);
    if (!parsed) {
        m_format = designedFormat();
        parsed = ListFormat::parse(m_format);
    }
    m_columns.clear();
    setColumnCount(int(parsed->columns.size()));
    const int unit = std::max(fontMetrics().averageCharWidth(), 4);
    const auto &layout = SongloreRecord::fileLayout();
    for (size_t i = 0; i < parsed->columns.size(); ++i) {
        const ListColumn &c = parsed->columns[i];
        const int number = c.number > 0 ? c.number : int(i) + 1;
        Column column;
        if (number >= 1 && number <= int(std::size(ColumnFields)))
            column.field = layout.fieldIndex(QLatin1String(ColumnFields[number - 1]));
        column.picture = dates::columnPicture(
            c.picture, column.field >= 0 &&
                           layout.fields[size_t(column.field)].type == store::FieldType::Date);
        column.alignment = alignmentOf(c.justification);
        m_columns.push_back(column);
        auto *header = new QTableWidgetItem(c.header);
        header->setTextAlignment(alignmentOf(c.headerJustification));
        setHorizontalHeaderItem(int(i), header);
        setColumnWidth(int(i), std::max(c.width * unit / 4, unit * 2));
    }
}

void AlbumSongList::reload(qint32 albumId)
{
    const qint32 current = currentSongId();
    m_ids = AlbumSongs::songsOf(albumId);
    setRowCount(int(m_ids.size()));
    const std::vector<QVariant> saved = MUS.values();
    int currentRowFound = m_ids.empty() ? -1 : 0;
    for (int r = 0; r < int(m_ids.size()); ++r) {
        MUS.clear();
        MUS.ID = m_ids[size_t(r)];
        const bool read = Songlore.get(SongloreRecord::KeyID) == 0;
        for (size_t c = 0; c < m_columns.size(); ++c) {
            QString text;
            if (read && m_columns[c].field >= 0) {
                const QVariant v = MUS.value(m_columns[c].field);
                const picture::Value value = v.typeId() == QMetaType::QString
                                                 ? picture::Value(v.toString())
                                                 : picture::Value(v.toLongLong());
                text = picture::format(value, QStringView(m_columns[c].picture));
            }
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(m_columns[c].alignment);
            setItem(r, int(c), item);
        }
        if (m_ids[size_t(r)] == current)
            currentRowFound = r;
    }
    MUS.setValues(saved);
    if (currentRowFound >= 0)
        selectRow(currentRowFound);
}

qint32 AlbumSongList::songId(int row) const
{
    return row >= 0 && row < int(m_ids.size()) ? m_ids[size_t(row)] : 0;
}

QMimeData *AlbumSongList::dragData(int row) const
{
    const qint32 id = songId(row);
    if (id == 0)
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(songsFormat(), QByteArray::number(id));
    mime->setText(QString::number(id));
    return mime;
}

qint32 AlbumSongList::droppedSong(const QMimeData *data)
{
    if (!data || !data->hasFormat(songsFormat()))
        return 0;
    bool ok = false;
    const qint64 id = QString::fromUtf8(data->data(songsFormat())).trimmed().toLongLong(&ok);
    return ok && id > 0 && id <= std::numeric_limits<qint32>::max() ? qint32(id) : 0;
}

void AlbumSongList::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(songsFormat()) && event->source() != this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void AlbumSongList::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(songsFormat()) && event->source() != this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void AlbumSongList::dropEvent(QDropEvent *event)
{
    const qint32 id = droppedSong(event->mimeData());
    if (event->source() == this || !event->mimeData()->hasFormat(songsFormat())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Linking writes and may show a message: not inside the drag's own event loop.
    QMetaObject::invokeMethod(
        this, [this, id] { Q_EMIT songDropped(id); }, Qt::QueuedConnection);
}

void AlbumSongList::startDrag(Qt::DropActions)
{
    QMimeData *mime = dragData(currentRow());
    if (!mime)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

void AlbumSongList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        Q_EMIT activated();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void AlbumSongList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    if (currentRow() >= 0)
        Q_EMIT activated();
}

} // namespace melodex
