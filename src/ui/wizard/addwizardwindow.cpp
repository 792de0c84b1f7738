// The album entry wizard's window: header, track list, CD read, moves and the OK that saves all.
#include "ui/wizard/addwizardwindow.h"

#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/waitcursor.h"
#include "data/lostfile.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "lookup/wizardfill.h"
#include "platform/picture/calendar.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"
#include "ui/layout/windowplacement.h"
#include "ui/procedures.h"
#include "ui/wizard/updateaddwizard.h"
#include "ui/wizard/wizardlookup.h"
#include "wizard/albumwizard.h"
#include "wizard/cdtime.h"
#include "wizard/readcdinformation.h"
#include "wizard/wizardinstances.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

namespace melodex {

namespace {

using Direction = RangeMove::Direction;

void say(const QString &caption, const QString &text, MessageRequest::Icon icon)
{
    MessageRequest r;
    r.caption = caption;
    r.text = text;
    r.icon = icon;
    MessageService::instance().show(r);
}

} // namespace

AddWizardWindow::AddWizardWindow(bool compilation, const SongloreRecord &start, QWidget *parent)
    : QDialog(parent), m_compilation(compilation),
      m_instance(WizardInstances::claim(GLO.ThreadInstance)), m_autoAddBefore(GLO.AutoAddToAlbums),
      m_start(start)
{
    setObjectName(compilation ? QStringLiteral("AddCompilation")
                              : QStringLiteral("AddSingleArtist"));
    setWindowTitle(compilation ? QStringLiteral("Add Compilation")
                               : QStringLiteral("Add Album by Single Artist"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/labels.png")));
    setAttribute(Qt::WA_DeleteOnClose);

    m_pages = new QTabWidget(this);
    auto *general = new QWidget(m_pages);
    auto *form = new QFormLayout(general);
    auto line = [general](int size) {
        auto *e = new QLineEdit(general);
        e->setMaxLength(size);
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * std::min(size, 40));
        return e;
    };
    if (!compilation) {
        m_artist = line(30);
        form->addRow(QStringLiteral("&Artist:"), m_artist);
    }
    m_album = line(30);
    form->addRow(compilation ? QStringLiteral("&Compilation Name:") : QStringLiteral("A&lbum:"),
                 m_album);
    m_releaseDate = line(30);
    m_releaseDate->setPlaceholderText(dates::example());
    m_releaseDate->setToolTip(QStringLiteral("Release date, typed as %1 (the date format of "
                                             "Preferences)")
                                  .arg(dates::example()));
    form->addRow(QStringLiteral("&Release Date:"), m_releaseDate);
    m_fileNumber = line(10);
    form->addRow(QStringLiteral("&File Number:"), m_fileNumber);
    m_category = new QComboBox(general);
    m_category->setEditable(true);
    form->addRow(QStringLiteral("&Category:"), m_category);
    m_media = new QComboBox(general);
    m_media->setEditable(true);
    form->addRow(QStringLiteral("&Media:"), m_media);
    m_pages->addTab(general, QStringLiteral("&General"));

    auto *songs = new QWidget(m_pages);
    auto *songsLayout = new QHBoxLayout(songs);
    auto *moves = new QVBoxLayout;
    const struct
    {
        Direction direction;
        const char *tip;
        Qt::ArrowType arrow;
        const char *text;
    } defs[] = {{Direction::UpOne, "Move record up one", Qt::UpArrow, ""},
                {Direction::ToTop, "Move record to the top", Qt::NoArrow, "\u2912"},
                {Direction::DownOne, "Move record down one", Qt::DownArrow, ""},
                {Direction::ToBottom, "Move record to the bottom", Qt::NoArrow, "\u2913"}};
    moves->addStretch(1);
    for (const auto &d : defs) {
        auto *b = new QToolButton(songs);
        if (d.arrow != Qt::NoArrow)
            b->setArrowType(d.arrow);
        else
            b->setText(QString::fromUtf8(d.text));
        b->setToolTip(QLatin1String(d.tip));
        b->setMinimumSize(28, 28);
        const Direction dir = d.direction;
        connect(b, &QToolButton::clicked, this, [this, dir] { move(dir); });
        m_moves[int(dir)] = b;
        moves->addWidget(b);
    }
    moves->addStretch(1);
    songsLayout->addLayout(moves);

    auto *listSide = new QVBoxLayout;
    m_list = new QTableWidget(songs);
    QStringList columns{QStringLiteral("Track")};
    if (compilation)
        columns << QStringLiteral("Artist");
    columns << QStringLiteral("Title") << QStringLiteral("Time");
    m_list->setColumnCount(int(columns.size()));
    m_list->setHorizontalHeaderLabels(columns);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(false);
    const int ch = fontMetrics().averageCharWidth();
    m_list->setColumnWidth(0, ch * 7);
    for (int c = 1; c < m_list->columnCount() - 1; ++c)
        m_list->setColumnWidth(c, ch * (compilation ? 24 : 40));
    m_list->setColumnWidth(m_list->columnCount() - 1, ch * 8);
    // The title takes the room the window gives; the other columns keep their widths.
    m_list->horizontalHeader()->setSectionResizeMode(m_list->columnCount() - 2,
                                                     QHeaderView::Stretch);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->installEventFilter(this);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { changeTrack(); });
    listSide->addWidget(m_list, 1);

    auto *row = new QHBoxLayout;
    auto addButton = [&](const char *text, void (AddWizardWindow::*slot)()) {
        auto *b = new QPushButton(QString::fromUtf8(text), songs);
        connect(b, &QPushButton::clicked, this, slot);
        m_buttons.push_back(b);
        row->addWidget(b);
        return b;
    };
    addButton("&Add", &AddWizardWindow::addTrack);
    addButton("&Change", &AddWizardWindow::changeTrack);
    addButton("&Delete", &AddWizardWindow::deleteTrack);
    listSide->addLayout(row);
    row = new QHBoxLayout;
    addButton("&Read Compact Disc Information", &AddWizardWindow::readCd);
    addButton("Edit All Son&gs", &AddWizardWindow::editAllSongs);
    addButton("Look &Up...", &AddWizardWindow::lookUp);
    listSide->addLayout(row);
    songsLayout->addLayout(listSide, 1);
    for (const char *text : {"&Add", "&Change", "&Delete"}) {
        auto *a = new QAction(QString::fromUtf8(text), m_list);
        QPushButton *b = button(QString::fromUtf8(text));
        connect(a, &QAction::triggered, b, &QPushButton::click);
        m_list->addAction(a);
    }
    m_pages->addTab(songs, QStringLiteral("&Songs"));

    m_addToAlbums = new QCheckBox(QStringLiteral("Add Information to Album Database"), this);
    m_addToAlbums->setChecked(true);
    GLO.AutoAddToAlbums = QStringLiteral("1");
    connect(m_addToAlbums, &QCheckBox::toggled, this,
            [](bool on) { GLO.AutoAddToAlbums = on ? QStringLiteral("1") : QString(); });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setToolTip(QStringLiteral("Exit and save window changes"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setToolTip(QStringLiteral("Exit and do not save changes"));
    connect(buttons, &QDialogButtonBox::accepted, this, &AddWizardWindow::pressOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddWizardWindow::pressCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_addToAlbums);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    fillLists();
    showStart();
    reload();
    resize(sizeHint().expandedTo(QSize(ch * 100, fontMetrics().height() * 24)));
}

AddWizardWindow::~AddWizardWindow()
{
    GLO.AutoAddToAlbums = m_autoAddBefore;
    WizardInstances::release(m_instance);
}

bool AddWizardWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The track list's own keys: Enter and F2 change the track, Insert adds one, Delete deletes;
    // none of them may reach the window's default button (OK saves the whole album).
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F2:
                changeTrack();
                return true;
            case Qt::Key_Insert:
                addTrack();
                return true;
            case Qt::Key_Delete:
                deleteTrack();
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool AddWizardWindow::hasTypedWork() const
{
    for (const QLineEdit *e : {m_artist, m_album, m_releaseDate, m_fileNumber})
        if (e && !e->text().trimmed().isEmpty())
            return true;
    return !m_category->currentText().trimmed().isEmpty() || m_list->rowCount() > 0;
}

void AddWizardWindow::reject()
{
    // Escape, Cancel and the close box drop the header and leave the tracks for another run:
    // typed work goes only when the user says so.
    if (hasTypedWork() && StandardWarning(StandardMessage::ConfirmCancel) != MessageRequest::Yes)
        return;
    QDialog::reject();
}

void AddWizardWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, objectName());
}

QPushButton *AddWizardWindow::button(const QString &text) const
{
    for (QPushButton *b : m_buttons)
        if (b->text() == text)
            return b;
    return nullptr;
}

void AddWizardWindow::fillLists()
{
    const store::FileUse categories(Categories), media(Media);
    const CategoriesRecord keptCat = CAT;
    Categories.set(CategoriesRecord::KeyCategory);
    while (Categories.next() == 0)
        m_category->addItem(CAT.Category.trimmed(), CAT.CategoryID);
    CAT = keptCat;
    const MediaRecord keptMedia = MED;
    Media.set(MediaRecord::KeyMedia);
    while (Media.next() == 0)
        m_media->addItem(MED.Media.trimmed());
    MED = keptMedia;
    m_category->setCurrentIndex(-1);
    m_category->setEditText(QString());
    const int cd = m_media->findText(QStringLiteral("CD"), Qt::MatchFixedString);
    m_media->setCurrentIndex(cd);
    if (cd < 0)
        m_media->setEditText(QStringLiteral("CD"));
}

void AddWizardWindow::showStart()
{
    const WizardHeader h = AlbumWizard::headerFrom(m_start);
    if (m_artist)
        m_artist->setText(h.artist);
    m_album->setText(h.album);
    if (h.releaseDate != 0)
        m_releaseDate->setText(dates::show(h.releaseDate));
    m_fileNumber->setText(h.fileNumber);
    if (const int category = h.categoryId != 0 ? m_category->findData(h.categoryId) : -1;
        category >= 0)
        m_category->setCurrentIndex(category);
    if (const int media = m_media->findText(h.media, Qt::MatchFixedString); media >= 0)
        m_media->setCurrentIndex(media);
    else
        m_media->setEditText(h.media);
}

void AddWizardWindow::reload(qint64 highlightTrack)
{
    const std::vector<AddWizardRecord> tracks = AlbumWizard::tracks(m_instance);
    if (highlightTrack < 0)
        highlightTrack = currentTrack();
    m_list->setRowCount(int(tracks.size()));
    int highlight = tracks.empty() ? -1 : 0;
    for (int r = 0; r < int(tracks.size()); ++r) {
        const AddWizardRecord &t = tracks[size_t(r)];
        int c = 0;
        auto *number = new QTableWidgetItem(QString::number(t.Track));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setData(Qt::UserRole, t.Track);
        m_list->setItem(r, c++, number);
        if (m_compilation)
            m_list->setItem(r, c++, new QTableWidgetItem(t.Artist.trimmed()));
        m_list->setItem(r, c++, new QTableWidgetItem(t.Title.trimmed()));
        auto *time = new QTableWidgetItem(TimeToMinSec(t.Time));
        time->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_list->setItem(r, c, time);
        if (t.Track == highlightTrack)
            highlight = r;
    }
    if (highlight >= 0)
        m_list->selectRow(highlight);
    const bool any = !tracks.empty();
    button(QStringLiteral("&Change"))->setEnabled(any);
    button(QStringLiteral("&Delete"))->setEnabled(any);
    for (QToolButton *b : m_moves)
        b->setEnabled(tracks.size() > 1);
}

qint64 AddWizardWindow::currentTrack() const
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->item(row, 0))
        return -1;
    return m_list->item(row, 0)->data(Qt::UserRole).toLongLong();
}

bool AddWizardWindow::positionOn(qint64 track)
{
    AW.clear();
    AW.Instance = m_instance;
    AW.Track = track;
    return melodex::AddWizard.get(AddWizardRecord::KeyInstance) == 0;
}

void AddWizardWindow::addTrack()
{
    UpdateAddWizard::run(this, InsertRecord, m_instance, m_compilation, [this](int response) {
        reload(response == RequestCompleted ? AW.Track : -1);
        // Tracks are typed one after another until the editor is cancelled.
        if (response == RequestCompleted)
            addTrack();
    });
}

void AddWizardWindow::changeTrack()
{
    const qint64 track = currentTrack();
    if (track < 0)
        return;
    const store::FileUse use(melodex::AddWizard);
    if (!positionOn(track)) {
        reload();
        return;
    }
    UpdateAddWizard::run(this, ChangeRecord, m_instance, m_compilation, [this](int response) {
        reload(response == RequestCompleted ? AW.Track : -1);
    });
}

void AddWizardWindow::deleteTrack()
{
    const qint64 track = currentTrack();
    if (track < 0)
        return;
    const store::FileUse use(melodex::AddWizard);
    if (positionOn(track))
        UpdateAddWizard::run(this, DeleteRecord, m_instance, m_compilation, {});
    reload();
}

void AddWizardWindow::readCd()
{
    const qint32 thread = GLO.ThreadInstance;
    GLO.ThreadInstance = qint32(m_instance);
    ALB.clear();
    ALB.Artist = m_compilation ? QString() : m_artist->text();
    CdReading reading;
    const bool read = ReadCDInformation(false, true, &reading);
    GLO.ThreadInstance = thread;
    // The album buffer is shared with every other window: the disc's identifier is kept here
    // until OK stores it with the album.
    if (const QString identifier = ALB.CDIdentifier.trimmed(); !identifier.isEmpty())
        m_cdIdentifier = identifier;
    reload();
    if (read)
        afterWizardDiscRead(this, reading);
}

void AddWizardWindow::lookUp()
{
    lookUpForWizard(this);
}

void AddWizardWindow::editAllSongs()
{
    editFrom(0);
}

void AddWizardWindow::editFrom(qint64 afterTrack)
{
    // The tracks of this wizard's number, each in turn while the editor ends with OK.
    for (const AddWizardRecord &t : AlbumWizard::tracks(m_instance)) {
        if (t.Track <= afterTrack)
            continue;
        const store::FileUse use(melodex::AddWizard);
        if (!positionOn(t.Track))
            continue;
        const qint64 number = t.Track;
        UpdateAddWizard::run(this, ChangeRecord, m_instance, m_compilation, [this, number](int) {
            reload();
            if (UpdateAddWizard::resultText() == QLatin1String("OK"))
                editFrom(number);
        });
        return;
    }
    say(QStringLiteral("Information"), QStringLiteral("End of songs on this album."),
        MessageRequest::Information);
}

void AddWizardWindow::move(Direction direction)
{
    const qint64 track = currentTrack();
    if (track < 0)
        return;
    const store::FileUse use(melodex::AddWizard);
    if (!positionOn(track))
        return;
    RangeMove mover(melodex::AddWizard, AddWizardRecord::KeyInstance, 2,
                    QStringLiteral("AddWizard"));
    RangeMove::Outcome outcome;
    {
        WaitCursor wait;
        outcome = mover.move(melodex::AddWizard.position(), direction);
    }
    qint64 moved = track;
    if (outcome == RangeMove::Outcome::Moved && melodex::AddWizard.reget(mover.position()) == 0)
        moved = AW.Track;
    reload(moved);
    m_list->setFocus();
}

bool AddWizardWindow::checkCategory()
{
    const QString typed = m_category->currentText().trimmed();
    if (typed.isEmpty())
        return true;
    if (m_category->findText(typed, Qt::MatchFixedString) >= 0)
        return true;
    MessageRequest q;
    q.caption = QStringLiteral("Category not found");
    q.text = QStringLiteral("Add new category?");
    q.icon = MessageRequest::Question;
    q.buttons = MessageRequest::Yes | MessageRequest::No;
    if (MessageService::instance().show(q) != MessageRequest::Yes) {
        m_pages->setCurrentIndex(0);
        m_category->setFocus();
        return false;
    }
    const store::FileUse use(Categories);
    const CategoriesRecord kept = CAT;
    qint64 id = 1;
    Categories.set(CategoriesRecord::KeyCategoryID);
    if (Categories.previous() == 0)
        id = CAT.CategoryID + 1;
    id = std::max(id, highestReferenceTo(Categories) + 1);
    CAT.clear();
    CAT.CategoryID = id;
    CAT.Category = typed;
    const int rc = Categories.add();
    CAT = kept;
    if (rc != 0) {
        say(QStringLiteral("Error!"),
            QStringLiteral("Unable to add category - ") + store::errorText(rc),
            MessageRequest::Error);
        m_category->setFocus();
        return false;
    }
    // The lists are filled anew with the new category; the media chosen stays chosen.
    const QString media = m_media->currentText();
    m_category->clear();
    m_media->clear();
    fillLists();
    m_category->setCurrentIndex(m_category->findText(typed, Qt::MatchFixedString));
    m_media->setCurrentIndex(m_media->findText(media, Qt::MatchFixedString));
    if (m_media->currentIndex() < 0)
        m_media->setEditText(media);
    return true;
}

bool AddWizardWindow::checkHeader()
{
    if (!checkCategory())
        return false;
    const QString media = m_media->currentText().trimmed();
    if (m_media->findText(media, Qt::MatchFixedString) < 0) {
        StandardWarning(StandardMessage::FieldContentsError, QStringLiteral("MUS:Media"),
                        QStringLiteral("Media"));
        m_pages->setCurrentIndex(0);
        m_media->setFocus();
        return false;
    }
    if (!dates::read(m_releaseDate->text())) {
        dates::refuse(m_releaseDate->text());
        m_pages->setCurrentIndex(0);
        m_releaseDate->setFocus();
        return false;
    }
    return true;
}

WizardHeader AddWizardWindow::header() const
{
    WizardHeader h = AlbumWizard::headerFrom(m_start);
    h.artist.clear();
    if (m_artist)
        h.artist = m_artist->text();
    h.album = m_album->text();
    h.media = m_media->currentText().trimmed();
    h.fileNumber = m_fileNumber->text();
    h.releaseDate = dates::read(m_releaseDate->text()).value_or(0);
    h.cdIdentifier = m_cdIdentifier;
    const int category =
        m_category->findText(m_category->currentText().trimmed(), Qt::MatchFixedString);
    h.categoryId = category >= 0 ? m_category->itemData(category).toInt() : 0;
    return h;
}

void AddWizardWindow::pressOk()
{
    if (!checkHeader())
        return;
    AlbumWizard::Outcome out;
    const std::vector<ExternalId> ids = lookup::takePendingExternalIds(m_instance);
    {
        WaitCursor wait;
        out = AlbumWizard::commit(m_instance, header(), m_compilation, m_addToAlbums->isChecked(),
                                  ids);
    }
    if (out.rc != 0) {
        lookup::setPendingExternalIds(m_instance, ids);
        // Nothing was written: the tracks stay for another try.
        say(out.caption, out.message, MessageRequest::Error);
        reload();
        return;
    }
    accept();
}

void AddWizardWindow::pressCancel()
{
    reject();
}

void AddWizardWindow::done(int result)
{
    GLO.AutoAddToAlbums = m_autoAddBefore;
    if (m_shown && !m_placementSaved) {
        m_placementSaved = true;
        SaveWindowPlacement(this, WindowStateIni, objectName());
    }
    lookup::takePendingExternalIds(m_instance);
    QDialog::done(result);
}

void AddWizardWindow::run(bool compilation)
{
    if (GLO.ActionRequest == ChangeRecord || GLO.ActionRequest == DeleteRecord)
        AlbumWizard::takeStartSong(); // an offered song is not left for a later wizard
    if (GLO.ActionRequest == ChangeRecord) {
        StandardWarning(StandardMessage::ChangeNotAllowed);
        return;
    }
    if (GLO.ActionRequest == DeleteRecord) {
        StandardWarning(StandardMessage::DeleteNotAllowed);
        return;
    }
    showInFrame(new AddWizardWindow(compilation, AlbumWizard::takeStartSong()));
}

} // namespace melodex
