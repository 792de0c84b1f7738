// UpdatePlaylist: the playlist form, with the playlist's songs in their order.
#pragma once

#include "browse/formsession.h"
#include "browse/rangemove.h"
#include "playlists/playlistentries.h"
#include "ui/form/formcall.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace melodex {

class PlaylistEntryTable;

/// The playlist form: its description, its songs in sequence order with the move buttons,
/// "Char&t", the entries' own Add/Change/Delete, drops of songs and the total time; its notes and
/// last edit date on a second page. Entries are written at once; the header on OK, which stamps
/// today's date. Deleting a playlist deletes its entries with it, after a question that says how
/// many go.
class UpdatePlaylist : public QDialog
{
    Q_OBJECT
public:
    explicit UpdatePlaylist(QWidget *parent = nullptr);
    ~UpdatePlaylist() override;

    static FormSession::Settings sessionSettings();
    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete), modal to
    /// `caller` only; `then` gets ActionResponse.
    static void run(QWidget *caller, FormDone then = {});

    /// Entry: numbering a new playlist, or the delete; true when the window is to open.
    bool start();

    FormSession &session() { return m_session; }
    qint32 playlistId() const;
    QTabWidget *tabs() const { return m_tabs; }
    QLineEdit *descriptionEdit() const { return m_description; }
    QPlainTextEdit *notesEdit() const { return m_notes; }
    QLabel *lastEditDisplay() const { return m_lastEdit; }
    PlaylistEntryTable *entryTable() const { return m_table; }
    QLabel *totalTimeDisplay() const { return m_total; }
    QToolButton *moveButton(RangeMove::Direction direction) const;
    QPushButton *chartButton() const { return m_chart; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *changeButton() const { return m_change; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    /// The entries as listed, in sequence order.
    const std::vector<PlaylistEntries::Entry> &entries() const { return m_entries; }
    /// The highlighted entry (0-based), -1 for none.
    int currentEntry() const;
    void setCurrentEntry(int row);

public Q_SLOTS:
    void pressOk();
    void pressCancel();
    /// Re-reads the entries and the total time, highlighting the entry of `id` when given.
    void reload(qint64 highlightId = 0);
    void moveEntry(RangeMove::Direction direction);
    void addEntry();
    void changeEntry();
    void deleteEntry();
    /// "Char&t": the chart week rollover of this playlist, then the list again.
    void chart();
    /// A song dropped on the list: its number, looked up before the entry is added.
    void dropSong(const QString &songNumber);

Q_SIGNALS:
    /// The chart rollover has ended and the list shows its result (tests wait for it).
    void chartDone();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void buildWindow();
    void redisplay();
    bool acceptDescription();
    void entryForm(int request);
    void updateButtons();

    FormSession m_session;
    std::vector<PlaylistEntries::Entry> m_entries;
    store::Position m_header; ///< a new playlist's header, added at once
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_description = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QLabel *m_lastEdit = nullptr;
    PlaylistEntryTable *m_table = nullptr;
    QLabel *m_total = nullptr;
    std::vector<QToolButton *> m_moves;
    QPushButton *m_chart = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_busy = false;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace melodex
