// AddWizardWindow: the album entry wizard's window, for a single artist's album or a compilation.
#pragma once

#include "browse/rangemove.h"
#include "data/records.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace melodex {

struct WizardHeader;

/// "&General" takes the album's common data, "&Songs" its tracks (the scratch records of
/// wizard GLO.ThreadInstance, or of a number of its own when another open wizard works under
/// that), typed with the track editor or read from the CD, moved with the four arrows; in the
/// list Enter, F2 and a double-click change a track, Insert adds one and Delete deletes. OK
/// writes the album (with "Add Information to Album Database") and one song per track in one
/// transaction; a failure says why and keeps the window and its tracks. The window keeps its
/// place.
class AddWizardWindow : public QDialog
{
    Q_OBJECT
public:
    /// The header starts from `start`, the song buffer of the window that started the wizard
    /// (blank from a menu or the albums list): its album data, the media "CD" when blank.
    explicit AddWizardWindow(bool compilation, const SongloreRecord &start = {},
                             QWidget *parent = nullptr);
    ~AddWizardWindow() override;

    /// The procedures "AddSingleArtist" and "AddCompilation": refuse a change or delete request
    /// (messages 20 and 21), otherwise open the wizard in the main frame on the song the song
    /// form offered (AlbumWizard::offerStartSong), or on a blank one.
    static void run(bool compilation);

    bool compilation() const { return m_compilation; }
    qint64 instance() const { return m_instance; }
    QTabWidget *pages() const { return m_pages; }
    QLineEdit *artistEdit() const { return m_artist; }
    QLineEdit *albumEdit() const { return m_album; }
    QLineEdit *releaseDateEdit() const { return m_releaseDate; }
    QLineEdit *fileNumberEdit() const { return m_fileNumber; }
    QComboBox *categoryBox() const { return m_category; }
    QComboBox *mediaBox() const { return m_media; }
    QTableWidget *trackList() const { return m_list; }
    QCheckBox *addToAlbums() const { return m_addToAlbums; }
    /// The identifier of the last disc read, which OK stores with the album.
    QString cdIdentifier() const { return m_cdIdentifier; }
    QPushButton *button(const QString &text) const;
    QToolButton *moveButton(RangeMove::Direction d) const { return m_moves[int(d)]; }

    void reload(qint64 highlightTrack = -1);
    /// The highlighted track's number, or -1.
    qint64 currentTrack() const;

public Q_SLOTS:
    void addTrack();
    void changeTrack();
    void deleteTrack();
    void readCd();
    /// "Look &Up...": MusicBrainz's titles for the disc read, or a search (see wizardlookup.h).
    void lookUp();
    void editAllSongs();
    void move(RangeMove::Direction direction);
    void pressOk();
    void pressCancel();
    /// Escape, Cancel, the close box: asks (message 23) before typed work is dropped.
    void reject() override;

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool hasTypedWork() const;
    bool checkHeader();
    bool checkCategory();
    WizardHeader header() const;
    void fillLists();
    void showStart();
    bool positionOn(qint64 track);
    void editFrom(qint64 afterTrack);

    bool m_compilation;
    qint64 m_instance;
    QString m_autoAddBefore;
    QString m_cdIdentifier; ///< of the last disc read, stored with the album
    SongloreRecord m_start; ///< the song buffer the header started from
    QTabWidget *m_pages = nullptr;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_album = nullptr;
    QLineEdit *m_releaseDate = nullptr;
    QLineEdit *m_fileNumber = nullptr;
    QComboBox *m_category = nullptr;
    QComboBox *m_media = nullptr;
    QTableWidget *m_list = nullptr;
    QCheckBox *m_addToAlbums = nullptr;
    QToolButton *m_moves[4] = {};
    std::vector<QPushButton *> m_buttons;
    bool m_shown = false;
    bool m_placementSaved = false;
};

} // namespace melodex
