// AlbumSongList: the songs of one album in track order, a drag source and drop target of songs.
#pragma once

#include <QTableWidget>

#include <vector>

namespace melodex {

/// Shows the songs of an album (read through MUS:KeyAlbumID, only that album's songs) with the
/// columns of a list format; the format is kept under "SRCF?Browse:2" in section "UpdateAlbums".
/// Songs are dragged in and out under the format "Songs", whose text is the song's MUS:ID; a
/// drop is reported by songDropped() and linked by the form.
class AlbumSongList : public QTableWidget
{
    Q_OBJECT
public:
    explicit AlbumSongList(QWidget *parent = nullptr);
    ~AlbumSongList() override;

    /// Reads the songs of album `albumId` again; the highlighted song stays highlighted.
    void reload(qint32 albumId);
    /// MUS:ID of row `row` (0-based), 0 for none.
    qint32 songId(int row) const;
    qint32 currentSongId() const { return songId(currentRow()); }
    /// The list's column format.
    QString format() const { return m_format; }

    /// The data a drag of row `row` hands over: the song's MUS:ID under "Songs".
    QMimeData *dragData(int row) const;
    /// The song a drop hands over: its MUS:ID, or 0 when the data is not a song.
    static qint32 droppedSong(const QMimeData *data);

Q_SIGNALS:
    void songDropped(qint32 songId);
    void activated(); ///< Enter or a double click on a song

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void applyFormat();

    QString m_format;
    struct Column
    {
        int field = -1;
        QString picture;
        Qt::Alignment alignment;
    };
    std::vector<Column> m_columns;
    std::vector<qint32> m_ids;
};

} // namespace melodex
