// UpdateAlbums: the album form, which adds, changes or deletes an album and manages its songs.
#pragma once

#include "browse/formsession.h"
#include "ui/form/formcall.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>

#include <memory>
#include <vector>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSoundEffect;
class QTabWidget;

namespace melodex {

namespace lookup {
struct AlbumDraft;
}
class AlbumSongList;

/// The album form: pages "&General", "&Songs" and "&Notes" over a FormSession of the album file.
/// A new album is numbered and added at once, so songs can be attached before it is saved; the
/// songs page adds, copies, changes and deletes songs through UpdateSongsForAlbum, assigns the
/// songs of the album's file number, edits every song in turn and takes songs dragged from the
/// songs list. Work on songs is written at once; only the album follows OK or Cancel.
class UpdateAlbums : public QDialog
{
    Q_OBJECT
public:
    /// The album's fields edited in lines or the media list, in the order they are accepted.
    enum Field {
        Artist,
        AlbumTitle,
        MediaFormat,
        FileNumber,
        ReleaseDate,
        WavFile,
        Image,
        Playlist,
        Xccd,
        CdIdentifier,
        Rating,
        PurchaseDate,
        PurPrice,
        Value,
        FieldCount
    };

    explicit UpdateAlbums(QWidget *parent = nullptr);
    ~UpdateAlbums() override;

    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete, 4 insert as a
    /// copy of the album in the buffer), modal to `caller` only; `then` gets ActionResponse.
    static void run(QWidget *caller, FormDone then = {});
    /// The record logic: numbering on ALB:KeyAlbumID, the unique keys, the fields.
    FormSession::Settings sessionSettings();

    /// Entry (numbering, copying); true when the window is to be shown.
    bool start();

    FormSession &session() { return m_session; }
    qint32 albumId() const;
    QTabWidget *pages() const { return m_pages; }
    QLineEdit *fieldEdit(Field f) const { return m_edits[size_t(f)]; }
    QComboBox *mediaBox() const { return m_mediaBox; }
    QPlainTextEdit *memoEdit(int which) const; ///< 0 recording, 1 performance, 2 notes
    AlbumSongList *songList() const { return m_songs; }
    QLabel *pictureLabel() const { return m_picture; }
    QPushButton *playButton() const { return m_play; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    /// Song buttons: "&Add", "Cop&y", "&Change", "&Delete", "Select Ex&isting Songs",
    /// "Edit All Son&gs" (0 to 5); the CD buttons "Load Song Information from CD Player" and
    /// "Read" (6, 7).
    QPushButton *songButton(int index) const { return m_songButtons[size_t(index)]; }
    /// The MusicBrainz disc ID of the last disc the CD buttons read, a link to its page;
    /// hidden when no disc was read.
    QLabel *discIdLabel() const { return m_discId; }
    /// The address that link opens (empty when none is shown).
    QString discPage() const { return m_discUrl; }

    /// The record as the ditto key recalls it: the last album any album form saved.
    static std::vector<QVariant> dittoRecord();
    static void clearDitto();

public Q_SLOTS:
    void pressOk();
    void pressCancel();
    /// A change of the title or artist of an album with songs asks whether its songs follow
    /// (default Yes); the answer goes with the write, in its transaction.
    void askSongTexts();
    void addSong();
    void copySong();
    void changeSong();
    void deleteSong();
    void selectExistingSongs();
    void editAllSongs();
    /// Links the song numbered `songId` to this album (a drop on the songs list).
    void linkDroppedSong(qint32 songId);
    void playSound();
    void chooseImage();
    /// Ctrl+' on the focused field.
    void dittoFocused();
    void readCd(bool identifierOnly);
    /// Opens the shown disc ID's MusicBrainz page in the browser.
    void openDiscPage();
    /// "Look &Up...": MusicBrainz's release for the disc read or a search (albumformlookup.h).
    void lookUp();

public:
    /// Shows a looked-up release's artist, title, date, media and label (added to the notes)
    /// in the form's fields, and reloads the songs.
    void takeLookedUpFields(const lookup::AlbumDraft &draft);
    /// Makes a fetched cover the album's image in the form.
    void takeLookedUpImage(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void done(int result) override;

private:
    void buildWindow();
    QLineEdit *addLine(QFormLayout *form, Field f, const QString &label, int width = 0);
    void fillMedia();
    void redisplay();
    void redisplayField(Field f);
    bool acceptField(Field f);
    void takeMemos();
    void fieldLeft(QWidget *from, QWidget *to);
    int fieldOf(const QObject *o) const;
    void focusField(Field f);
    void showPicture();
    void updateSongButtons();
    void reloadSongs();
    void runSongForm(int request, qint32 songId, FormDone next = {});
    void editSongsFrom(std::shared_ptr<const std::vector<qint32>> songs, size_t next);
    void say(const QString &caption, const QString &text, int icon);
    void showDiscId(const QString &id, const QString &url);
    /// A new album that is not kept: songs attached to it lose the link, and the songs added
    /// while the form was open go, unless the user keeps them.
    void releaseSongsOfCancelledAlbum();

    FormSession m_session;
    QTabWidget *m_pages = nullptr;
    std::vector<QLineEdit *> m_edits;
    QComboBox *m_mediaBox = nullptr;
    QPlainTextEdit *m_memos[3] = {};
    AlbumSongList *m_songs = nullptr;
    QLabel *m_picture = nullptr;
    QPixmap m_pixmap;
    QPushButton *m_play = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    std::vector<QPushButton *> m_songButtons;
    QLabel *m_discIdCaption = nullptr;
    QLabel *m_discId = nullptr;
    QString m_discUrl;
    QPointer<QSoundEffect> m_sound;
    QMetaObject::Connection m_focusWatch;
    /// The highest song number when a new album's form opened: songs above it were added here.
    qint32 m_highestSongBefore = 0;
    bool m_acceptingAll = false;
    bool m_songTexts = false;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace melodex
