// The album form: its pages, the album's songs, sound and picture, and the ditto key.
#include "ui/albums/updatealbums.h"
#include "platform/store/cliptext.h"
#include "platform/store/keepvalues.h"

#include "albums/albumentry.h"
#include "albums/albumsongs.h"
#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/waitcursor.h"
#include "data/recordchanges.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "platform/store/errors.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/albums/albumformlookup.h"
#include "ui/albums/albumsonglist.h"
#include "ui/albums/updatesongsforalbum.h"
#include "ui/browserservice.h"
#include "ui/catalog/selectfilenumber.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"
#include "ui/procedures.h"
#include "wizard/readcdinformation.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSoundEffect>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace melodex {

namespace {

const char *const FieldNames[] = {"ALB:Artist",          "ALB:Album",       "ALB:Media",
                                  "ALB:FileNumber",      "ALB:ReleaseDate", "ALB:AssociatedWAVFile",
                                  "ALB:AssociatedImage", "ALB:Playlist",    "ALB:XCCD",
                                  "ALB:CDIdentifier",    "ALB:Rating",      "ALB:PurchaseDate",
                                  "ALB:PurPrice",        "ALB:Value"};
const char *const FieldPictures[] = {"@s40", "@s40", "@s20", "@s20", "@d17b", "@s128",   "@s128",
                                     "@s70", "@s32", "@s24", "@s2",  "@d17b", "@n-10.2", "@n-10.2"};
const char *const MemoNames[] = {"ALB:Recording", "ALB:Performance", "ALB:Notes"};
constexpr int MemoSizes[] = {256, 256, 2000};

int albumField(const QString &name)
{
    return AlbumRecord::fileLayout().fieldIndex(name);
}

using store::clipped;

std::vector<QVariant> &ditto()
{
    static std::vector<QVariant> record;
    return record;
}

// Reading another file for a list must not move a buffer some other window depends on.
using KeepBuffer = store::KeepValues;

// An album whose songs would go with it asks by name and count, with No as the default.
int deleteWithSongs()
{
    const qint32 id = ALB.AlbumID;
    const int songs = [id] {
        store::FileUse use(Songlore);
        return use.ok() ? AlbumEntry::songCount(id) : 0;
    }();
    if (songs == 0)
        return -1;
    MessageRequest question;
    question.caption = QStringLiteral("Confirm Delete");
    question.text = AlbumEntry::deleteQuestion(ALB, songs);
    question.icon = MessageRequest::Question;
    question.buttons = MessageRequest::Yes | MessageRequest::No;
    question.defaultButton = MessageRequest::No;
    GLO.ActionRequest = 0;
    if (MessageService::instance().show(question) != MessageRequest::Yes)
        return RequestCancelled;
    store::FileUse album(Album), songsFile(Songlore), playlists(PlaylistDetails);
    if (!album.ok() || !songsFile.ok() || !playlists.ok())
        return RequestCancelled;
    const std::vector<QVariant> record = ALB.values();
    const store::Position position = Album.position();
    for (;;) {
        int rc;
        {
            WaitCursor wait;
            ALB.setValues(record);
            Album.setCurrent(position);
            rc = RIDelete(Album);
        }
        if (rc == RIDone)
            return RequestCompleted;
        if (StandardWarning(StandardMessage::RetryDelete) != MessageRequest::Yes)
            return RequestCancelled;
    }
}

} // namespace

UpdateAlbums::UpdateAlbums(QWidget *parent) : QDialog(parent), m_session(sessionSettings())
{
    setWindowTitle(QStringLiteral("Update Melodex  Album"));
    buildWindow();
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget *from, QWidget *to) { fieldLeft(from, to); });
}

UpdateAlbums::~UpdateAlbums()
{
    disconnect(m_focusWatch);
}

FormSession::Settings UpdateAlbums::sessionSettings()
{
    FormSession::Settings s;
    s.file = &Album;
    s.lookups = {&Songlore, &Media, &Categories, &PlaylistDetails};
    s.autoNumberKey = AlbumRecord::KeyAlbumID;
    s.uniqueKeys = {{AlbumRecord::KeyAlbumID, QStringLiteral("ALB:KeyAlbumID")},
                    {AlbumRecord::KeyAlbum, QStringLiteral("ALB:KeyAlbum")},
                    {AlbumRecord::KeyArtist, QStringLiteral("ALB:KeyArtist")},
                    {AlbumRecord::KeyCDIdentifier, QStringLiteral("ALB:KeyCDIdentifier")}};
    for (int f = 0; f < FieldCount; ++f)
        s.fields.push_back(FormField{
            QString(), QLatin1String(FieldNames[f]), QLatin1String(FieldPictures[f]), {}});
    s.fields[MediaFormat].validate = [this](FormSession &session) {
        // The media must be one of the list's entries; the list's spelling is kept.
        const int f = albumField(QStringLiteral("ALB:Media"));
        const int listed =
            m_mediaBox->findText(clipped(session.value(f).toString()), Qt::MatchFixedString);
        if (listed < 0) {
            QApplication::beep();
            return false;
        }
        session.setValue(f, m_mediaBox->itemText(listed));
        return true;
    };
    s.fields[Image].validate = [this](FormSession &) {
        showPicture();
        return true;
    };
    s.primes = [](FormSession &) { AlbumEntry::markAsCopy(ALB); };
    s.supportsCopy = true;
    s.historyName = QStringLiteral("UpdateAlbums");
    s.fileName = QStringLiteral("Album");
    s.change = [this] { return RIUpdate_Album(true, m_songTexts); };
    return s;
}

// --- the window ------------------------------------------------------------------------------

QLineEdit *UpdateAlbums::addLine(QFormLayout *form, Field f, const QString &label, int width)
{
    auto *edit = new QLineEdit(this);
    const picture::Picture p = picture::Picture::parse(m_session.picture(f));
    const bool text = p.kind() == picture::Picture::Kind::Text;
    if (text)
        edit->setMaxLength(p.width());
    if (m_session.isDateField(f))
        edit->setPlaceholderText(dates::example());
    edit->setMinimumWidth(fontMetrics().averageCharWidth() *
                          (width > 0 ? width : std::min((text ? p.width() : 12) + 2, 44)));
    auto *l = new QLabel(label, this);
    l->setBuddy(edit);
    form->addRow(l, edit);
    m_edits[size_t(f)] = edit;
    return edit;
}

void UpdateAlbums::buildWindow()
{
    m_edits.assign(FieldCount, nullptr);
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    layout->addWidget(m_pages, 1);

    // General: the album's identity, and what it cost and is worth.
    auto *general = new QWidget(m_pages);
    auto *generalLayout = new QVBoxLayout(general);
    auto *identity = new QFormLayout;
    identity->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addLine(identity, Artist, QStringLiteral("&Artist:"));
    addLine(identity, AlbumTitle, QStringLiteral("A&lbum:"));
    m_mediaBox = new QComboBox(this);
    m_mediaBox->setEditable(true);
    m_mediaBox->setInsertPolicy(QComboBox::NoInsert);
    m_mediaBox->lineEdit()->setMaxLength(20);
    m_mediaBox->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    m_mediaBox->setToolTip(QStringLiteral("Media"));
    auto *mediaLabel = new QLabel(QStringLiteral("&Media:"), this);
    mediaLabel->setBuddy(m_mediaBox);
    identity->addRow(mediaLabel, m_mediaBox);
    addLine(identity, FileNumber, QStringLiteral("&File Number:"));
    addLine(identity, ReleaseDate, QStringLiteral("&Release Date:"));
    generalLayout->addLayout(identity);
    auto *other = new QGroupBox(QStringLiteral("Other"), general);
    auto *otherForm = new QFormLayout(other);
    addLine(otherForm, Rating, QStringLiteral("Rating:"));
    addLine(otherForm, PurchaseDate, QStringLiteral("Purchase Date:"));
    addLine(otherForm, PurPrice, QStringLiteral("Pur Price:"));
    addLine(otherForm, Value, QStringLiteral("Current Value:"));
    generalLayout->addWidget(other);
    generalLayout->addStretch(1);
    m_pages->addTab(general, QStringLiteral("&General"));

    // Songs.
    auto *songsPage = new QWidget(m_pages);
    auto *songsLayout = new QVBoxLayout(songsPage);
    m_songs = new AlbumSongList(songsPage);
    songsLayout->addWidget(m_songs, 1);
    auto *hint = new QLabel(QStringLiteral("You can also drag from the \"Songs\"\n"
                                           "window to the album song list."),
                            songsPage);
    auto *songButtons = new QGridLayout;
    const char *captions[] = {
        "&Add", "Cop&y", "&Change", "&Delete", "Select Ex&isting Songs", "Edit All Son&gs"};
    void (UpdateAlbums::*actions[])() = {&UpdateAlbums::addSong,
                                         &UpdateAlbums::copySong,
                                         &UpdateAlbums::changeSong,
                                         &UpdateAlbums::deleteSong,
                                         &UpdateAlbums::selectExistingSongs,
                                         &UpdateAlbums::editAllSongs};
    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(QLatin1String(captions[i]), songsPage);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, actions[i]);
        songButtons->addWidget(b, i < 4 ? 0 : 1, i < 4 ? i : (i - 4) * 2, 1, i < 4 ? 1 : 2);
        m_songButtons.push_back(b);
    }
    songsLayout->addLayout(songButtons);
    songsLayout->addWidget(hint);
    m_pages->addTab(songsPage, QStringLiteral("&Songs"));
    connect(m_songs, &AlbumSongList::songDropped, this, &UpdateAlbums::linkDroppedSong);
    connect(m_songs, &AlbumSongList::activated, this, &UpdateAlbums::changeSong);

    // Notes: the files that go with the album, its CD, and the memos.
    auto *notesPage = new QWidget(m_pages);
    auto *notesLayout = new QHBoxLayout(notesPage);
    auto *leftColumn = new QVBoxLayout;
    auto *files = new QGroupBox(QStringLiteral("Associated Files"), notesPage);
    auto *filesForm = new QFormLayout(files);
    filesForm->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    // Captions above their fields: the column stays narrow and the memos get the room.
    filesForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    auto *wavRow = new QHBoxLayout;
    auto *wav = new QLineEdit(files);
    wav->setMaxLength(128);
    m_edits[WavFile] = wav;
    m_play = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), files);
    m_play->setToolTip(QStringLiteral("Play the associated sound file"));
    m_play->setAutoDefault(false);
    wavRow->addWidget(wav, 1);
    wavRow->addWidget(m_play);
    auto *wavLabel = new QLabel(QStringLiteral("Associated WAV File:"), files);
    wavLabel->setBuddy(wav);
    filesForm->addRow(wavLabel, wavRow);
    auto *imageRow = new QHBoxLayout;
    auto *image = new QLineEdit(files);
    image->setMaxLength(128);
    m_edits[Image] = image;
    auto *browse = new QPushButton(QStringLiteral("..."), files);
    browse->setAutoDefault(false);
    browse->setToolTip(QStringLiteral("Choose a File"));
    browse->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    imageRow->addWidget(image, 1);
    imageRow->addWidget(browse);
    auto *imageLabel = new QLabel(QStringLiteral("Associated Image:"), files);
    imageLabel->setBuddy(image);
    filesForm->addRow(imageLabel, imageRow);
    addLine(filesForm, Playlist, QStringLiteral("Playlist:"), 30);
    m_picture = new QLabel(files);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(dialogUnits(this, QSize(90, 70)));
    m_picture->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_picture->setFrameShape(QFrame::StyledPanel);
    filesForm->addRow(m_picture);
    leftColumn->addWidget(files, 1);
    connect(m_play, &QPushButton::clicked, this, &UpdateAlbums::playSound);
    connect(browse, &QPushButton::clicked, this, &UpdateAlbums::chooseImage);
    connect(wav, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_play->setEnabled(!text.trimmed().isEmpty()); });

    auto *cd = new QGroupBox(QStringLiteral("Compact Disc"), notesPage);
    auto *cdForm = new QFormLayout(cd);
    cdForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    auto *load = new QPushButton(QStringLiteral("Load Song Information from CD Player"), cd);
    load->setAutoDefault(false);
    cdForm->addRow(load);
    addLine(cdForm, Xccd, QStringLiteral("XCCD Database #:"), 24);
    auto *serialRow = new QHBoxLayout;
    auto *serial = new QLineEdit(cd);
    serial->setMaxLength(24);
    // Wide enough for the longest identifier a disc gives.
    serial->setMinimumWidth(serial->fontMetrics().horizontalAdvance(QString(24, u'D')) +
                            2 * serial->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
    m_edits[CdIdentifier] = serial;
    auto *read = new QPushButton(QStringLiteral("Read"), cd);
    read->setAutoDefault(false);
    serialRow->addWidget(serial, 1);
    serialRow->addWidget(read);
    auto *serialLabel = new QLabel(QStringLiteral("CD Serial #:"), cd);
    serialLabel->setBuddy(serial);
    cdForm->addRow(serialLabel, serialRow);
    // The disc ID of the last read, shown and never stored: the album has no field for it.
    m_discIdCaption = new QLabel(QStringLiteral("MusicBrainz disc ID:"), cd);
    m_discId = new QLabel(cd);
    m_discId->setTextFormat(Qt::RichText);
    m_discId->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_discId->setOpenExternalLinks(false);
    connect(m_discId, &QLabel::linkActivated, this, &UpdateAlbums::openDiscPage);
    // Each on a row of its own: the ID is 28 characters that cannot wrap.
    cdForm->addRow(m_discIdCaption);
    cdForm->addRow(m_discId);
    auto *lookUpButton = new QPushButton(QStringLiteral("Look &Up in MusicBrainz..."), cd);
    lookUpButton->setAutoDefault(false);
    lookUpButton->setObjectName(QStringLiteral("lookUp"));
    connect(lookUpButton, &QPushButton::clicked, this, &UpdateAlbums::lookUp);
    cdForm->addRow(lookUpButton);
    showDiscId({}, {});
    leftColumn->addWidget(cd);
    m_songButtons.push_back(load);
    m_songButtons.push_back(read);
    connect(load, &QPushButton::clicked, this, [this] { readCd(false); });
    connect(read, &QPushButton::clicked, this, [this] { readCd(true); });
    const bool cdReader = hasProcedure(QStringLiteral("ReadCDInformation"));
    load->setEnabled(cdReader);
    read->setEnabled(cdReader);

    // The memos take the page's spare width, each with its caption above it.
    auto *memos = new QVBoxLayout;
    const char *memoCaptions[] = {"Recording:", "Performance:", "Notes:"};
    for (int i = 0; i < 3; ++i) {
        m_memos[i] = new QPlainTextEdit(notesPage);
        m_memos[i]->setTabChangesFocus(true);
        m_memos[i]->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
        auto *l = new QLabel(QLatin1String(memoCaptions[i]), notesPage);
        l->setBuddy(m_memos[i]);
        memos->addWidget(l);
        memos->addWidget(m_memos[i], 1);
    }
    notesLayout->addLayout(leftColumn, 0);
    notesLayout->addLayout(memos, 1);
    m_pages->addTab(notesPage, QStringLiteral("&Notes"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &UpdateAlbums::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &UpdateAlbums::pressCancel);

    // Ctrl+' (and Ctrl+` where that key sits) recalls the field from the last album saved.
    for (QLineEdit *edit : m_edits)
        if (edit)
            edit->installEventFilter(this);
    m_mediaBox->lineEdit()->installEventFilter(this);

    setMinimumSize(dialogUnits(this, QSize(300, 210)).expandedTo(minimumSizeHint()));
    resize(minimumSize());
}

QPlainTextEdit *UpdateAlbums::memoEdit(int which) const
{
    return which >= 0 && which < 3 ? m_memos[which] : nullptr;
}

qint32 UpdateAlbums::albumId() const
{
    return qint32(m_session.value(QStringLiteral("ALB:AlbumID")).toLongLong());
}

// --- entry -----------------------------------------------------------------------------------

void UpdateAlbums::run(QWidget *caller, FormDone then)
{
    if (GLO.ActionRequest == DeleteRecord) {
        // With songs to go, the question names them; without, the standard confirmation.
        const int answer = deleteWithSongs();
        if (answer >= 0) {
            GLO.ActionResponse = answer;
            if (then)
                then(answer);
            return;
        }
    }
    openForm(caller, std::make_unique<UpdateAlbums>(caller), std::move(then));
}

bool UpdateAlbums::start()
{
    if (!m_session.start()) {
        m_closed = true;
        return false;
    }
    setWindowTitle(m_session.request() == InsertRecord
                       ? QStringLiteral("Adding an Album Record")
                       : QStringLiteral("Changing an Album Record"));
    fillMedia();
    redisplay();
    reloadSongs();
    if (m_session.request() == InsertRecord) {
        KeepBuffer keep(MUS);
        Songlore.set(SongloreRecord::KeyID);
        m_highestSongBefore = Songlore.previous() == 0 ? MUS.ID : 0;
    }
    return true;
}

void UpdateAlbums::fillMedia()
{
    m_mediaBox->clear();
    KeepBuffer keep(MED);
    Media.set(MediaRecord::KeyMedia);
    while (Media.next() == 0)
        m_mediaBox->addItem(MED.Media);
    // A new album without a media starts with the first of the list, which it must name.
    const int f = albumField(QStringLiteral("ALB:Media"));
    if (m_mediaBox->count() > 0 && clipped(m_session.value(f).toString()).isEmpty() &&
        m_session.request() == InsertRecord)
        m_session.setValue(f, m_mediaBox->itemText(0));
}

void UpdateAlbums::redisplayField(Field f)
{
    if (f == MediaFormat) {
        const QString media = clipped(m_session.value(QStringLiteral("ALB:Media")).toString());
        m_mediaBox->setCurrentIndex(m_mediaBox->findText(media, Qt::MatchFixedString));
        m_mediaBox->setEditText(media);
    } else {
        m_edits[size_t(f)]->setText(m_session.displayText(f));
    }
}

void UpdateAlbums::redisplay()
{
    for (int f = 0; f < FieldCount; ++f)
        redisplayField(Field(f));
    for (int i = 0; i < 3; ++i)
        m_memos[i]->setPlainText(m_session.value(QLatin1String(MemoNames[i])).toString());
    m_play->setEnabled(!m_edits[WavFile]->text().trimmed().isEmpty());
    showPicture();
}

void UpdateAlbums::reloadSongs()
{
    m_songs->reload(albumId());
    updateSongButtons();
}

void UpdateAlbums::updateSongButtons()
{
    const bool any = m_songs->rowCount() > 0;
    for (int i : {1, 2, 3})
        m_songButtons[size_t(i)]->setEnabled(any);
}

// --- fields ----------------------------------------------------------------------------------

int UpdateAlbums::fieldOf(const QObject *o) const
{
    if (!o)
        return -1;
    if (o == m_mediaBox || o == m_mediaBox->lineEdit())
        return MediaFormat;
    for (int f = 0; f < FieldCount; ++f)
        if (m_edits[size_t(f)] == o)
            return f;
    return -1;
}

bool UpdateAlbums::acceptField(Field f)
{
    const QString text = f == MediaFormat ? m_mediaBox->currentText() : m_edits[size_t(f)]->text();
    switch (m_session.acceptField(f, text)) {
    case FormSession::Accept::Ok:
        redisplayField(f);
        return true;
    case FormSession::Accept::Rejected:
        QApplication::beep();
        redisplayField(f);
        return false;
    case FormSession::Accept::Invalid:
        return false;
    }
    return false;
}

void UpdateAlbums::focusField(Field f)
{
    QWidget *w = f == MediaFormat ? static_cast<QWidget *>(m_mediaBox) : m_edits[size_t(f)];
    QTimer::singleShot(0, w, [this, w] {
        for (int i = 0; i < m_pages->count(); ++i)
            if (m_pages->widget(i)->isAncestorOf(w))
                m_pages->setCurrentIndex(i);
        w->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            edit->selectAll();
    });
}

void UpdateAlbums::fieldLeft(QWidget *from, QWidget *to)
{
    const int f = fieldOf(from);
    if (f < 0 || m_closed || m_acceptingAll || !to || to == m_cancel || !isAncestorOf(to))
        return;
    if (f == MediaFormat && (to == m_mediaBox || m_mediaBox->isAncestorOf(to)))
        return;
    if (!acceptField(Field(f)))
        focusField(Field(f));
}

void UpdateAlbums::takeMemos()
{
    for (int i = 0; i < 3; ++i)
        m_session.setValue(albumField(QLatin1String(MemoNames[i])),
                           m_memos[i]->toPlainText().left(MemoSizes[i]));
}

bool UpdateAlbums::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && fieldOf(watched) >= 0) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier &&
            (key->key() == Qt::Key_Apostrophe || key->key() == Qt::Key_QuoteLeft)) {
            dittoFocused();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void UpdateAlbums::dittoFocused()
{
    const int f = fieldOf(QApplication::focusWidget());
    const std::vector<QVariant> &record = ditto();
    if (f < 0 || record.empty())
        return;
    const int field = m_session.recordField(f);
    const bool text = AlbumRecord::fileLayout().fields[size_t(field)].isText();
    const QVariant v = record[size_t(field)];
    const QString shown = picture::format(
        text ? picture::Value(v.toString()) : picture::Value(v.toLongLong()), m_session.picture(f));
    if (f == MediaFormat)
        m_mediaBox->setEditText(shown);
    else
        m_edits[size_t(f)]->setText(shown);
}

std::vector<QVariant> UpdateAlbums::dittoRecord()
{
    return ditto();
}

void UpdateAlbums::clearDitto()
{
    ditto().clear();
}

// --- OK and Cancel ---------------------------------------------------------------------------

void UpdateAlbums::pressOk()
{
    if (m_closed)
        return;
    m_acceptingAll = true;
    for (int f = 0; f < FieldCount; ++f) {
        if (!acceptField(Field(f))) {
            m_acceptingAll = false;
            QApplication::beep();
            focusField(Field(f));
            return;
        }
    }
    m_acceptingAll = false;
    takeMemos();
    askSongTexts();
    const FormSession::Completion c = m_session.complete();
    if (c.closed) {
        if (m_session.response() == RequestCompleted)
            ditto() = m_session.values();
        done(m_session.response() == RequestCompleted ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    redisplay();
    focusField(c.focusField >= 0 ? Field(c.focusField) : Artist);
}

void UpdateAlbums::askSongTexts()
{
    m_songTexts = false;
    if (m_session.request() != ChangeRecord)
        return;
    AlbumRecord before;
    AlbumRecord after;
    for (int f = 0; f < AlbumRecord::fieldCount; ++f) {
        before.setValue(f, m_session.startValues().at(size_t(f)));
        after.setValue(f, m_session.values().at(size_t(f)));
    }
    const QString question =
        AlbumEntry::songTextsQuestion(before, after, AlbumEntry::songCount(before.AlbumID));
    if (question.isEmpty())
        return;
    m_songTexts =
        MessageService::instance().show(MessageRequest{
            QStringLiteral("Update Songs"), question, MessageRequest::Question,
            MessageRequest::Yes | MessageRequest::No, MessageRequest::Yes}) == MessageRequest::Yes;
}

void UpdateAlbums::pressCancel()
{
    m_session.cancel();
    done(QDialog::Rejected);
}

void UpdateAlbums::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, QStringLiteral("UpdateAlbums"));
    focusField(Artist);
}

void UpdateAlbums::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    showPicture();
}

void UpdateAlbums::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (m_sound)
            m_sound->stop();
        if (m_session.response() != RequestCompleted) {
            m_session.cancel();
            if (m_session.request() == InsertRecord)
                releaseSongsOfCancelledAlbum();
        }
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, QStringLiteral("UpdateAlbums"));
        m_session.close();
    }
    QDialog::done(result);
}

void UpdateAlbums::releaseSongsOfCancelledAlbum()
{
    // Songs that existed before stay, without the link to an album that will not exist.
    std::vector<qint32> added;
    for (const qint32 id : AlbumSongs::songsOf(albumId())) {
        if (id > m_highestSongBefore)
            added.push_back(id);
        else
            AlbumSongs::linkSong(id, 0);
    }
    if (added.empty())
        return;
    MessageRequest question;
    question.caption = QStringLiteral("Cancel New Album");
    question.text = added.size() == 1
                        ? QStringLiteral("Keep the song added while this album was open? It "
                                         "stays without an album; No deletes it.")
                        : QStringLiteral("Keep the %1 songs added while this album was open? "
                                         "They stay without an album; No deletes them.")
                              .arg(added.size());
    question.icon = MessageRequest::Question;
    question.buttons = MessageRequest::Yes | MessageRequest::No;
    question.defaultButton = MessageRequest::No;
    if (MessageService::instance().show(question) != MessageRequest::Yes) {
        AlbumSongs::Removal removal;
        {
            WaitCursor wait;
            removal = AlbumSongs::deleteSongs(added);
        }
        if (!removal.inPlaylist && removal.error == 0)
            return;
        say(QStringLiteral("Cancel New Album"),
            (removal.inPlaylist ? QStringLiteral("The song %1 is in a playlist.").arg(removal.song)
                                : QStringLiteral("The songs could not be deleted - ") +
                                      store::errorText(removal.error)) +
                QStringLiteral("\nNo song was deleted; they stay without an album."),
            MessageRequest::Error);
    }
    for (const qint32 id : added)
        AlbumSongs::linkSong(id, 0);
}

// --- the album's songs ----------------------------------------------------------------------

void UpdateAlbums::say(const QString &caption, const QString &text, int icon)
{
    MessageRequest r;
    r.caption = caption;
    r.text = text;
    r.icon = MessageRequest::Icon(icon);
    MessageService::instance().show(r);
}

void UpdateAlbums::runSongForm(int request, qint32 songId, FormDone next)
{
    if (request == InsertRecord) {
        MUS.clear();
        MUS.AlbumID = albumId();
    } else {
        MUS.clear();
        MUS.ID = songId;
        if (songId == 0 || Songlore.get(SongloreRecord::KeyID) != 0) {
            reloadSongs();
            if (next)
                next(RequestCancelled);
            return;
        }
        if (request == SelectRecord) {
            // A copy starts from the song's values as a new song of this album.
            MUS.ID = 0;
            MUS.AlbumID = albumId();
        }
    }
    GLO.ActionRequest = request;
    GLO.ActionResponse = 0;
    // The song form may read other albums into the buffer; this form's album comes back after.
    UpdateSongsForAlbum::run(this, [this, album = ALB.values(), next](int response) {
        ALB.setValues(album);
        reloadSongs();
        if (next)
            next(response);
    });
}

void UpdateAlbums::addSong()
{
    runSongForm(InsertRecord, 0);
}

void UpdateAlbums::copySong()
{
    runSongForm(SelectRecord, m_songs->currentSongId());
}

void UpdateAlbums::changeSong()
{
    runSongForm(ChangeRecord, m_songs->currentSongId());
}

void UpdateAlbums::deleteSong()
{
    runSongForm(DeleteRecord, m_songs->currentSongId());
}

void UpdateAlbums::selectExistingSongs()
{
    AlbumRecord album;
    album.setValues(m_session.values());
    album.FileNumber = m_edits[FileNumber]->text();
    album.Media = m_mediaBox->currentText();
    int answer = MessageRequest::No;
    if (!clipped(album.FileNumber).isEmpty()) {
        MessageRequest question;
        question.caption = QStringLiteral("Assign Songs To Album");
        question.text = AlbumSongs::assignQuestion(album);
        question.icon = MessageRequest::Warning;
        question.buttons = MessageRequest::Yes | MessageRequest::No | MessageRequest::Cancel;
        question.defaultButton = MessageRequest::No;
        answer = MessageService::instance().show(question);
    }
    if (answer == MessageRequest::Cancel)
        return;
    if (answer == MessageRequest::No) {
        // One song picked from the file-number picker.
        const int request = GLO.ActionRequest;
        GLO.ActionRequest = SelectRecord;
        SelectFileNumber::run(this, [this, savedSong = MUS.values()](int response) {
            const qint32 picked = MUS.ID;
            MUS.setValues(savedSong);
            if (response == RequestCompleted)
                linkDroppedSong(picked);
        });
        GLO.ActionRequest = request;
        return;
    }
    AlbumSongs::Assignment a;
    {
        WaitCursor wait;
        a = AlbumSongs::assignByFileNumber(album);
    }
    const auto [caption, text] = AlbumSongs::assignmentMessage(a);
    const bool failed = a.stop == AlbumSongs::Stop::ReadError ||
                        a.stop == AlbumSongs::Stop::WriteError || a.assigned == 0;
    say(caption, text, failed ? MessageRequest::Error : MessageRequest::Information);
    reloadSongs();
}

void UpdateAlbums::editAllSongs()
{
    editSongsFrom(std::make_shared<const std::vector<qint32>>(AlbumSongs::songsOf(albumId())), 0);
}

void UpdateAlbums::editSongsFrom(std::shared_ptr<const std::vector<qint32>> songs, size_t next)
{
    // Each form opens when the one before has closed with OK; a Cancel ends the run silently.
    for (; next < songs->size(); ++next) {
        const qint32 id = (*songs)[next];
        MUS.clear();
        MUS.ID = id;
        if (Songlore.get(SongloreRecord::KeyID) != 0)
            continue; // deleted meanwhile
        runSongForm(ChangeRecord, id, [this, songs, next](int response) {
            if (response == RequestCompleted)
                editSongsFrom(songs, next + 1);
        });
        return;
    }
    say(QStringLiteral("Information"), QStringLiteral("End of songs on this album."),
        MessageRequest::Information);
    reloadSongs();
}

void UpdateAlbums::linkDroppedSong(qint32 songId)
{
    int error = 0;
    if (AlbumSongs::linkSong(songId, albumId(), &error) == AlbumSongs::Link::Failed) {
        QString song = QStringLiteral("number ") + QString::number(songId);
        {
            KeepBuffer keep(MUS);
            MUS.clear();
            MUS.ID = songId;
            if (Songlore.get(SongloreRecord::KeyID) == 0)
                song = AlbumSongs::describe(MUS);
        }
        say(QStringLiteral("Error"),
            QStringLiteral("Error updating song database - ") + store::errorText(error) +
                QStringLiteral("\nSong: ") + song,
            MessageRequest::Error);
    }
    reloadSongs();
}

// --- sound, picture and CD ---------------------------------------------------------------------

void UpdateAlbums::playSound()
{
    const QString file = clipped(m_edits[WavFile]->text());
    if (file.isEmpty())
        return;
    auto fail = [this, file] {
        say(QStringLiteral("Error"), QStringLiteral("Could not play ") + file + u'.',
            MessageRequest::Error);
    };
    if (!QFileInfo(file).isFile()) {
        fail();
        return;
    }
    if (m_sound)
        m_sound->deleteLater();
    auto *sound = new QSoundEffect(this);
    m_sound = sound;
    // The sound loads and plays in the background; a file it cannot play is reported when known.
    connect(sound, &QSoundEffect::statusChanged, this, [this, sound, fail] {
        if (sound != m_sound)
            return;
        if (sound->status() == QSoundEffect::Error)
            fail();
        else if (sound->status() == QSoundEffect::Ready)
            sound->play();
    });
    sound->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

void UpdateAlbums::chooseImage()
{
    const QString current = clipped(m_edits[Image]->text()).left(80);
    const QString chosen = DialogService::instance().getOpenFileName(
        QStringLiteral("Choose a File"), current, QStringLiteral("All Files|*.*"));
    if (chosen.isEmpty())
        return;
    m_edits[Image]->setText(chosen.left(128));
    acceptField(Image);
}

void UpdateAlbums::showPicture()
{
    if (!m_picture)
        return;
    const QString file = clipped(m_edits[Image]->text());
    if (file.isEmpty()) {
        m_pixmap = QPixmap();
    } else if (m_pixmap.isNull() || m_picture->property("file").toString() != file) {
        // A missing or unreadable image shows nothing and says nothing.
        QImageReader reader(file);
        reader.setAutoTransform(true);
        m_pixmap = QPixmap::fromImage(reader.read());
    }
    m_picture->setProperty("file", file);
    if (m_pixmap.isNull()) {
        m_picture->clear();
        return;
    }
    m_picture->setPixmap(m_pixmap.scaled(m_picture->contentsRect().size(), Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation));
}

void UpdateAlbums::readCd(bool identifierOnly)
{
    const QString name =
        identifierOnly ? QStringLiteral("ReadCDIdentifier") : QStringLiteral("ReadCDInformation");
    if (!hasProcedure(name))
        return;
    // The reader works on the album in the buffer: this form's album, with its number.
    const QString before = clipped(m_edits[CdIdentifier]->text());
    ALB.setValues(m_session.values());
    ALB.CDIdentifier = before;
    GLO.ActionResponse = 0;
    showDiscId({}, {});
    procedure(name)();
    if (GLO.ActionResponse != RequestCompleted)
        return;
    showDiscId(lastCdReading().musicBrainzId, lastCdReading().musicBrainzUrl);
    // The reader put the disc's identifier into the shared buffer; the form's own copy of the
    // record is what OK saves.
    const QString after = clipped(ALB.CDIdentifier);
    m_session.setValue(albumField(QStringLiteral("ALB:CDIdentifier")), after);
    redisplayField(CdIdentifier);
    if (identifierOnly) {
        say(QStringLiteral("Process complete"),
            after != before ? QStringLiteral("CD Identification updated.")
                            : QStringLiteral("CD Identification not updated."),
            MessageRequest::Information);
    } else {
        say(QStringLiteral("Process complete"), QStringLiteral("CD information updated."),
            MessageRequest::Information);
        reloadSongs();
        afterAlbumFormDiscRead(this);
    }
}

void UpdateAlbums::lookUp()
{
    lookUpForAlbumForm(this);
}

void UpdateAlbums::takeLookedUpFields(const lookup::AlbumDraft &draft)
{
    takeMemos();
    const auto set = [this](const char *name, const QVariant &value) {
        m_session.setValue(albumField(QLatin1String(name)), value);
    };
    if (!draft.artist.isEmpty())
        set("ALB:Artist", draft.artist);
    if (!draft.album.isEmpty())
        set("ALB:Album", draft.album);
    if (draft.releaseDate != 0)
        set("ALB:ReleaseDate", draft.releaseDate);
    if (!draft.media.isEmpty() && m_mediaBox->findText(draft.media, Qt::MatchFixedString) >= 0)
        set("ALB:Media", draft.media);
    const QString notes = m_session.value(QStringLiteral("ALB:Notes")).toString();
    if (!draft.notes.isEmpty() && !notes.contains(draft.notes))
        set("ALB:Notes", clipped(notes).isEmpty() ? draft.notes : notes + u'\n' + draft.notes);
    redisplay();
    reloadSongs();
}

void UpdateAlbums::takeLookedUpImage(const QString &path)
{
    m_session.setValue(albumField(QStringLiteral("ALB:AssociatedImage")), path);
    redisplayField(Image);
    showPicture();
}

void UpdateAlbums::showDiscId(const QString &id, const QString &url)
{
    m_discUrl = url;
    m_discId->setText(
        id.isEmpty()
            ? QString()
            : QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), id.toHtmlEscaped()));
    m_discId->setToolTip(url);
    m_discIdCaption->setVisible(!id.isEmpty());
    m_discId->setVisible(!id.isEmpty());
}

void UpdateAlbums::openDiscPage()
{
    if (m_discUrl.isEmpty() || BrowserService::instance().openUrl(QUrl(m_discUrl)))
        return;
    say(QStringLiteral("MusicBrainz"),
        QStringLiteral("No web browser could be started to show %1.").arg(m_discUrl),
        MessageRequest::Warning);
}

} // namespace melodex
