// PlaylistEntryTable: the playlist form's list of entries, which takes songs dropped on it.
#pragma once

#include <QTableWidget>

namespace melodex {

/// The entries list of the playlist form: one row per entry, whole rows selected. A drag named
/// "Songs" dropped on it hands over the song's number; Insert, Delete and Enter ask for the
/// entry's add, delete and change.
class PlaylistEntryTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit PlaylistEntryTable(QWidget *parent = nullptr);

    /// The drag format of songs ("Songs"), whose text is the song's number.
    static QString songsFormat();

Q_SIGNALS:
    void songDropped(const QString &songNumber);
    void insertPressed();
    void deletePressed();
    void enterPressed();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace melodex
