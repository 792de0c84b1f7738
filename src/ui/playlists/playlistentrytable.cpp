// The playlist form's entries list: songs dropped on it and its keys.
#include "ui/playlists/playlistentrytable.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>

namespace melodex {

PlaylistEntryTable::PlaylistEntryTable(QWidget *parent) : QTableWidget(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

QString PlaylistEntryTable::songsFormat()
{
    return QStringLiteral("Songs");
}

void PlaylistEntryTable::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(songsFormat()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlaylistEntryTable::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(songsFormat()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlaylistEntryTable::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(songsFormat())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT songDropped(QString::fromUtf8(event->mimeData()->data(songsFormat())));
}

void PlaylistEntryTable::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Insert:
        Q_EMIT insertPressed();
        return;
    case Qt::Key_Delete:
        Q_EMIT deletePressed();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT enterPressed();
        return;
    default:
        QTableWidget::keyPressEvent(event);
    }
}

} // namespace melodex
