// The song form: its tabs, drop-down lists, field checks, album defaults and album links.
#include "ui/catalog/updatesong.h"
#include "platform/store/cliptext.h"
#include "platform/store/keepvalues.h"

#include "app/dateentry.h"
#include "app/globals.h"
#include "catalog/songentry.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"
#include "ui/catalog/selectalbum.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"
#include "ui/procedures.h"
#include "ui/wizard/selectaddtype.h"
#include "wizard/albumwizard.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace melodex {

namespace {

// The session's fields, by index.
enum Field {
    Artist,
    Title,
    AlbumTitle,
    MediaFormat,
    Time,
    FileNumber,
    ReleaseDate,
    TrackNumber,
    ChartNumber,
    Rating,
    UserDefinedKey,
    BeatsPerMinute,
    Style,
    Information1,
    Information2,
    Information3,
    Composer,
    FieldCount
};

const QString SideValues[] = {QString(), QStringLiteral("A"), QStringLiteral("B"),
                              QStringLiteral("1"), QStringLiteral("2")};

int songField(const QString &name)
{
    return SongloreRecord::fileLayout().fieldIndex(name);
}

using store::clipped;

// Reading another file for a list must not move a buffer some other window depends on.
using KeepBuffer = store::KeepValues;

bool rangeCheck(FormSession &s, const char *field, bool (*inRange)(qint64), const char *range)
{
    if (inRange(s.value(QLatin1String(field)).toLongLong()))
        return true;
    StandardWarning(StandardMessage::RangeError, QLatin1String(field), QLatin1String(range));
    return false;
}

} // namespace

UpdateSong::UpdateSong(QWidget *parent) : QDialog(parent), m_session(sessionSettings())
{
    setWindowTitle(QStringLiteral("Update the Melodex Song Database"));
    buildWindow();

    // A field is accepted when the focus leaves it for another control of the form, not when it
    // leaves for Cancel or for a message box.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *from, QWidget *to) {
            const int c = controlOf(from);
            if (c >= 0)
                fieldLeft(c, to);
        });
}

UpdateSong::~UpdateSong()
{
    disconnect(m_focusWatch);
}

FormSession::Settings UpdateSong::sessionSettings()
{
    auto field = [](const char *label, const char *name, const char *picture) {
        return FormField{QString::fromUtf8(label), QLatin1String(name), QLatin1String(picture), {}};
    };
    FormSession::Settings s;
    s.file = &Songlore;
    s.lookups = {&Categories, &Media, &::melodex::Album};
    s.autoNumberKey = SongloreRecord::KeyID;
    s.uniqueKeys = {{SongloreRecord::KeyID, QStringLiteral("Unique Song ID")}};
    s.fields = {
        field("&Artist:", "MUS:Artist", "@s40"),
        field("&Title:", "MUS:Title", "@s40"),
        field("&Album:", "MUS:Album", "@s40"),
        field("&Media:", "MUS:Media", "@s20"),
        field("T&ime:", "MUS:Time", "@t4"),
        field("&File Number:", "MUS:FileNumber", "@s20"),
        field("&Release Date:", "MUS:ReleaseDate", "@d17"),
        field("Track &Number:", "MUS:TrackNumber", "@n3"),
        field("Highest Chart Number:", "MUS:ChartNumber", "@n3"),
        field("Rating:", "MUS:Rating", "@s2"),
        field("User Defined Key Field:", "MUS:UserDefinedKeyField", "@s30"),
        field("Beats Per Minute:", "MUS:BeatsPerMinute", "@n_4b"),
        field("Style:", "MUS:Style", "@s30"),
        field("Additional Information 1:", "MUS:AdditionalInformation1", "@s80"),
        field("Additional Information 2:", "MUS:AdditionalInformation2", "@s80"),
        field("Additional Information 3:", "MUS:AdditionalInformation3", "@s80"),
        field("Composer:", "MUS:Composer", "@s80"),
    };
    s.fields[MediaFormat].validate = [this](FormSession &session) {
        const int f = songField(QStringLiteral("MUS:Media"));
        QString typed = clipped(session.value(f).toString());
        // The list's spelling of the format the user typed.
        const int listed = m_mediaBox->findText(typed, Qt::MatchFixedString);
        if (listed >= 0)
            typed = m_mediaBox->itemText(listed);
        session.setValue(f, typed);
        int rc;
        {
            KeepBuffer keep(MED);
            MED.clear();
            MED.Media = typed;
            rc = Media.get(MediaRecord::KeyMedia);
        }
        if (rc != 0) {
            StandardWarning(StandardMessage::FieldContentsError, QStringLiteral("MUS:Media"),
                            QStringLiteral("Media"));
            return false;
        }
        return true;
    };
    s.fields[TrackNumber].validate = [](FormSession &session) {
        return rangeCheck(session, "MUS:TrackNumber", &SongEntry::trackNumberInRange, "0 and 99");
    };
    s.fields[ChartNumber].validate = [](FormSession &session) {
        return rangeCheck(session, "MUS:ChartNumber", &SongEntry::chartNumberInRange, "0 and 100");
    };
    // A new song is a CD unless it copies another song; a format primed by the list gives way.
    s.primes = [](FormSession &session) {
        if (!session.copying() || clipped(MUS.Media).isEmpty())
            MUS.Media = QStringLiteral("CD");
    };
    s.supportsCopy = true;
    s.historyName = QStringLiteral("UpdateSong");
    s.fileName = QStringLiteral("Songlore");
    return s;
}

// --- the window ----------------------------------------------------------------------------------

QLineEdit *UpdateSong::addLine(QFormLayout *form, int sessionField, const QString &tip)
{
    auto *edit = new QLineEdit(this);
    const picture::Picture p = picture::Picture::parse(m_session.picture(sessionField));
    const bool text = p.kind() == picture::Picture::Kind::Text;
    if (text)
        edit->setMaxLength(p.width());
    edit->setMinimumWidth(fontMetrics().averageCharWidth() *
                          std::min((text ? p.width() : 12) + 2, 50));
    edit->setToolTip(tip);
    if (m_session.isDateField(sessionField))
        edit->setPlaceholderText(dates::example());
    auto *label = new QLabel(m_session.settings().fields[size_t(sessionField)].label, this);
    label->setBuddy(edit);
    label->setToolTip(tip);
    form->addRow(label, edit);
    m_edits[size_t(sessionField)] = edit;
    m_labels[size_t(sessionField)] = label;
    m_controls.push_back({sessionField, edit});
    return edit;
}

void UpdateSong::buildWindow()
{
    m_edits.assign(FieldCount, nullptr);
    m_labels.assign(FieldCount, nullptr);
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs, 1);
    auto newForm = [this](const QString &caption) {
        auto *page = new QWidget(m_tabs);
        auto *form = new QFormLayout(page);
        form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
        m_tabs->addTab(page, caption);
        return form;
    };

    QFormLayout *general = newForm(QStringLiteral("&General"));
    addLine(general, Artist);
    addLine(general, Title);
    addLine(general, AlbumTitle);
    m_mediaBox = new QComboBox(this);
    m_mediaBox->setEditable(true);
    m_mediaBox->setInsertPolicy(QComboBox::NoInsert);
    m_mediaBox->lineEdit()->setMaxLength(20);
    m_mediaBox->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    m_mediaBox->setToolTip(QStringLiteral("Media"));
    auto *mediaLabel = new QLabel(QStringLiteral("&Media:"), this);
    mediaLabel->setBuddy(m_mediaBox);
    general->addRow(mediaLabel, m_mediaBox);
    m_labels[MediaFormat] = mediaLabel;
    m_controls.push_back({MediaFormat, m_mediaBox});
    addLine(general, Time);
    addLine(general, FileNumber);
    addLine(general, ReleaseDate);
    m_categoryBox = new QComboBox(this);
    m_categoryBox->setEditable(true);
    m_categoryBox->setInsertPolicy(QComboBox::NoInsert);
    m_categoryBox->lineEdit()->setMaxLength(30);
    m_categoryBox->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    m_categoryBox->setToolTip(QStringLiteral("Category"));
    auto *categoryLabel = new QLabel(QStringLiteral("&Category:"), this);
    categoryLabel->setBuddy(m_categoryBox);
    general->addRow(categoryLabel, m_categoryBox);
    m_controls.push_back({-1, m_categoryBox});
    addLine(general, TrackNumber);
    auto *sideBox = new QGroupBox(QStringLiteral("Side / Disc"), this);
    auto *sideRow = new QHBoxLayout(sideBox);
    m_side = new QButtonGroup(this);
    const QString sideCaptions[] = {QStringLiteral(" None"), QStringLiteral("A"),
                                    QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("2")};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QRadioButton(sideCaptions[i], sideBox);
        m_side->addButton(b, i);
        sideRow->addWidget(b);
    }
    sideRow->addStretch(1);
    general->addRow(sideBox);

    QFormLayout *custom = newForm(QStringLiteral("DJ/Custom"));
    addLine(custom, ChartNumber);
    addLine(custom, Rating);
    addLine(custom, UserDefinedKey,
            QStringLiteral("See File/Preferences/Customization to label this field to suit your "
                           "needs"));
    const QString udk = clipped(GLO.UDKPrompt.left(24)).trimmed();
    if (!udk.isEmpty())
        m_labels[UserDefinedKey]->setText(udk + u':');
    addLine(custom, BeatsPerMinute);
    addLine(custom, Style);
    addLine(custom, Information1);
    addLine(custom, Information2);
    addLine(custom, Information3);

    QFormLayout *recording = newForm(QStringLiteral("Recording/Performance"));
    m_recording = new QPlainTextEdit(this);
    m_recording->setToolTip(QStringLiteral("Recording Information (Engineer, Producer, Etc)"));
    auto *recordingLabel = new QLabel(QStringLiteral("Recording Information:"), this);
    recordingLabel->setBuddy(m_recording);
    recording->addRow(recordingLabel, m_recording);
    addLine(recording, Composer);
    m_performance = new QPlainTextEdit(this);
    auto *performanceLabel = new QLabel(QStringLiteral("Performance Notes:"), this);
    performanceLabel->setBuddy(m_performance);
    recording->addRow(performanceLabel, m_performance);

    auto *notesPage = new QWidget(m_tabs);
    auto *notesLayout = new QVBoxLayout(notesPage);
    m_notes = new QPlainTextEdit(notesPage);
    notesLayout->addWidget(m_notes);
    m_tabs->addTab(notesPage, QStringLiteral("&Notes"));

    auto *buttons = new QHBoxLayout;
    m_album = new QPushButton(QStringLiteral("Default with Album Information"), this);
    m_album->setToolTip(QStringLiteral("Select album to use for default information"));
    m_album->setAutoDefault(false);
    buttons->addWidget(m_album);
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setToolTip(QStringLiteral("Exit window and save changes"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setToolTip(QStringLiteral("Exit window and do not save changes"));
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &UpdateSong::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &UpdateSong::pressCancel);
    connect(m_album, &QPushButton::clicked, this, &UpdateSong::defaultWithAlbum);

    setMinimumSize(dialogUnits(this, QSize(260, 200)).expandedTo(minimumSizeHint()));
    resize(minimumSize());
}

QLineEdit *UpdateSong::fieldEdit(const QString &name) const
{
    const int f = songField(name);
    for (int i = 0; i < FieldCount; ++i)
        if (m_edits[size_t(i)] && m_session.recordField(i) == f)
            return m_edits[size_t(i)];
    return nullptr;
}

QLabel *UpdateSong::fieldLabel(const QString &name) const
{
    const int f = songField(name);
    for (int i = 0; i < FieldCount; ++i)
        if (m_session.recordField(i) == f)
            return m_labels[size_t(i)];
    return nullptr;
}

QPlainTextEdit *UpdateSong::memoEdit(const QString &name) const
{
    const int f = songField(name);
    if (f == songField(QStringLiteral("MUS:Recording")))
        return m_recording;
    if (f == songField(QStringLiteral("MUS:PerformanceNotes")))
        return m_performance;
    if (f == songField(QStringLiteral("MUS:Notes")))
        return m_notes;
    return nullptr;
}

QAbstractButton *UpdateSong::sideButton(const QString &side) const
{
    for (int i = 0; i < 5; ++i)
        if (SideValues[i] == side.trimmed())
            return m_side->button(i);
    return nullptr;
}

// --- entry
// ----------------------------------------------------------------------------------------

void UpdateSong::run(QWidget *caller, FormDone then)
{
    // The wizards, the track list and the CD reader work under the number of this window.
    if (GLO.ThreadInstance == 0)
        GLO.ThreadInstance = nextThreadInstance();
    const int request = GLO.ActionRequest;
    const bool copying = request == SelectRecord;
    const SongEntry::Style style =
        SongEntry::entryStyle(GLO.AddMode, copying ? int(InsertRecord) : request, copying, MUS);
    if (style == SongEntry::Style::AskType) {
        // The answer decides as the first letter of AddMode would; the buffer waits meanwhile.
        SelectAddType::ask(caller, [caller, then = std::move(then),
                                    song = MUS.values()](const QString &choice) mutable {
            MUS.setValues(song);
            GLO.ActionRequest = InsertRecord;
            const QString mode = GLO.AddMode;
            GLO.AddMode = choice;
            runAs(caller, int(SongEntry::entryStyle(choice, InsertRecord, false, MUS)),
                  std::move(then));
            GLO.AddMode = mode;
        });
        return;
    }
    runAs(caller, int(style), std::move(then));
}

void UpdateSong::runAs(QWidget *caller, int style, FormDone then)
{
    if (style == int(SongEntry::Style::Compilation) ||
        style == int(SongEntry::Style::SingleArtist)) {
        const QString wizard = style == int(SongEntry::Style::Compilation)
                                   ? QStringLiteral("AddCompilation")
                                   : QStringLiteral("AddSingleArtist");
        if (hasProcedure(wizard)) {
            GLO.ActionRequest = 0;
            // The wizard's header starts from this form's song buffer.
            AlbumWizard::offerStartSong(MUS);
            procedure(wizard)();
            GLO.ActionRequest = 0;
            GLO.ActionResponse = RequestCancelled;
            if (then)
                then(RequestCancelled);
            return;
        }
    }
    openForm(caller, std::make_unique<UpdateSong>(caller), std::move(then));
}

bool UpdateSong::start()
{
    if (!m_session.start()) {
        m_closed = true;
        return false;
    }
    setWindowTitle(m_session.request() == InsertRecord ? QStringLiteral("Adding Information")
                                                       : QStringLiteral("Changing Information"));
    fillMedia();
    fillCategories();
    redisplay();
    return true;
}

void UpdateSong::fillMedia()
{
    const QString current = clipped(m_session.value(QStringLiteral("MUS:Media")).toString());
    m_mediaBox->clear();
    {
        KeepBuffer keep(MED);
        Media.set(MediaRecord::KeyMedia);
        while (Media.next() == 0)
            m_mediaBox->addItem(MED.Media);
    }
    const int f = songField(QStringLiteral("MUS:Media"));
    if (m_mediaBox->count() == 0)
        m_session.setValue(f, QString());
    else if (current.isEmpty())
        m_session.setValue(f, m_mediaBox->itemText(0));
}

void UpdateSong::fillCategories()
{
    m_categories.clear();
    {
        KeepBuffer keep(CAT);
        Categories.set(CategoriesRecord::KeyCategory);
        while (Categories.next() == 0)
            m_categories.emplace_back(CAT.Category, CAT.CategoryID);
    }
    const QSignalBlocker block(m_categoryBox);
    const QString typed = m_categoryBox->currentText();
    m_categoryBox->clear();
    for (const auto &[name, id] : m_categories)
        m_categoryBox->addItem(name, id);
    m_categoryBox->setEditText(typed);
}

void UpdateSong::redisplayControl(const Control &c)
{
    if (c.field < 0) {
        const qint64 id = m_session.value(QStringLiteral("MUS:CategoryID")).toLongLong();
        const int index = id == 0 ? -1 : m_categoryBox->findData(id);
        m_categoryBox->setCurrentIndex(index);
        m_categoryBox->setEditText(index >= 0 ? m_categoryBox->itemText(index) : QString());
    } else if (c.field == MediaFormat) {
        const QString media = clipped(m_session.value(QStringLiteral("MUS:Media")).toString());
        const int index = m_mediaBox->findText(media, Qt::MatchFixedString);
        m_mediaBox->setCurrentIndex(index);
        m_mediaBox->setEditText(media);
    } else {
        m_edits[size_t(c.field)]->setText(m_session.displayText(c.field));
    }
}

void UpdateSong::redisplay()
{
    for (const Control &c : m_controls)
        redisplayControl(c);
    const QString side = m_session.value(QStringLiteral("MUS:Side")).toString().trimmed();
    if (QAbstractButton *b = sideButton(side))
        b->setChecked(true);
    else
        m_side->button(0)->setChecked(true);
    m_recording->setPlainText(m_session.value(QStringLiteral("MUS:Recording")).toString());
    m_performance->setPlainText(m_session.value(QStringLiteral("MUS:PerformanceNotes")).toString());
    m_notes->setPlainText(m_session.value(QStringLiteral("MUS:Notes")).toString());
}

// --- accepting fields
// -----------------------------------------------------------------------------

int UpdateSong::controlOf(const QObject *o) const
{
    for (size_t i = 0; i < m_controls.size(); ++i) {
        const QWidget *w = m_controls[i].widget;
        if (o && (w == o || (qobject_cast<const QComboBox *>(w) &&
                             static_cast<const QComboBox *>(w)->lineEdit() == o)))
            return int(i);
    }
    return -1;
}

void UpdateSong::focusControl(const Control &c)
{
    QWidget *w = c.widget;
    QTimer::singleShot(0, w, [this, w] {
        if (QWidget *page = m_tabs->widget(0); page && !m_tabs->currentWidget()->isAncestorOf(w))
            for (int i = 0; i < m_tabs->count(); ++i)
                if (m_tabs->widget(i)->isAncestorOf(w))
                    m_tabs->setCurrentIndex(i);
        w->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            edit->selectAll();
    });
}

bool UpdateSong::acceptCategory()
{
    const int f = songField(QStringLiteral("MUS:CategoryID"));
    const QString typed = clipped(m_categoryBox->currentText()).trimmed();
    if (typed.isEmpty()) {
        m_session.setValue(f, 0);
        return true;
    }
    auto find = [&]() -> qint64 {
        for (const auto &[name, id] : m_categories)
            if (name.compare(typed, Qt::CaseInsensitive) == 0)
                return id;
        return 0;
    };
    if (const qint64 id = find()) {
        m_session.setValue(f, id);
        return true;
    }
    MessageRequest question;
    question.caption = QStringLiteral("Category not found");
    question.text = QStringLiteral("Add new category?");
    question.icon = MessageRequest::Question;
    question.buttons = MessageRequest::Yes | MessageRequest::No;
    question.defaultButton = MessageRequest::Yes;
    if (MessageService::instance().show(question) != MessageRequest::Yes)
        return false;
    int error = 0;
    {
        KeepBuffer keep(CAT);
        SongEntry::addCategory(typed, &error);
    }
    if (error != 0) {
        MessageRequest r;
        r.caption = QStringLiteral("Error!");
        r.text = QStringLiteral("Unable to add category - ") + store::errorText(error);
        r.icon = MessageRequest::Error;
        MessageService::instance().show(r);
    }
    fillCategories();
    // Asking again after a failed add would only repeat the failure: the focus stays instead.
    if (const qint64 id = find()) {
        m_session.setValue(f, id);
        redisplayControl(m_controls[size_t(controlOf(m_categoryBox))]);
        return true;
    }
    return false;
}

bool UpdateSong::acceptControl(const Control &c)
{
    if (c.field < 0)
        return acceptCategory();
    const QString text =
        c.field == MediaFormat ? m_mediaBox->currentText() : m_edits[size_t(c.field)]->text();
    switch (m_session.acceptField(c.field, text)) {
    case FormSession::Accept::Ok:
        redisplayControl(c);
        return true;
    case FormSession::Accept::Rejected:
        QApplication::beep();
        redisplayControl(c);
        return false;
    case FormSession::Accept::Invalid:
        return false;
    }
    return false;
}

void UpdateSong::fieldLeft(int control, QWidget *to)
{
    if (m_closed || m_acceptingAll || !to || to == m_cancel || !isAncestorOf(to))
        return;
    const Control &c = m_controls[size_t(control)];
    // Moving within the same drop-down list is not leaving it.
    if (c.widget == to || c.widget->isAncestorOf(to))
        return;
    if (!acceptControl(c))
        focusControl(c);
}

void UpdateSong::takeMemosAndSide()
{
    auto memo = [this](const char *name, QPlainTextEdit *edit, int size) {
        m_session.setValue(songField(QLatin1String(name)), edit->toPlainText().left(size));
    };
    memo("MUS:Recording", m_recording, 256);
    memo("MUS:PerformanceNotes", m_performance, 256);
    memo("MUS:Notes", m_notes, 2000);
    const int side = std::max(m_side->checkedId(), 0);
    m_session.setValue(songField(QStringLiteral("MUS:Side")), SideValues[side]);
}

void UpdateSong::takeUnchecked()
{
    // What the user typed so far, without the checks that would stop them with messages.
    for (const Control &c : m_controls) {
        if (c.field < 0)
            continue;
        const QString text =
            c.field == MediaFormat ? m_mediaBox->currentText() : m_edits[size_t(c.field)]->text();
        const auto read =
            picture::deformat(text, picture::Picture::parse(m_session.picture(c.field)));
        if (!read)
            continue;
        const int f = m_session.recordField(c.field);
        if (const auto *s = std::get_if<QString>(&*read))
            m_session.setValue(f, *s);
        else
            m_session.setValue(f, std::get<qint64>(*read));
    }
    takeMemosAndSide();
}

void UpdateSong::pressOk()
{
    if (m_closed)
        return;
    const int request = m_session.request();
    if (request == InsertRecord || request == ChangeRecord) {
        m_acceptingAll = true;
        for (const Control &c : m_controls) {
            if (!acceptControl(c)) {
                m_acceptingAll = false;
                QApplication::beep();
                focusControl(c);
                return;
            }
        }
        m_acceptingAll = false;
        takeMemosAndSide();
        // Linked only once every field passed, so that a refused song leaves no album behind.
        const int albumId = songField(QStringLiteral("MUS:AlbumID"));
        if (!clipped(GLO.AutoAddToAlbums).isEmpty() && m_session.value(albumId).toLongLong() == 0) {
            SongloreRecord song;
            song.setValues(m_session.values());
            SongEntry::linkToAlbum(song);
            m_session.setValue(albumId, song.AlbumID);
        }
    }
    const FormSession::Completion c = m_session.complete();
    if (c.closed) {
        done(m_session.response() == RequestCompleted ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    redisplay();
    if (!m_controls.empty())
        focusControl(m_controls.front());
}

void UpdateSong::pressCancel()
{
    m_session.cancel();
    done(QDialog::Rejected);
}

void UpdateSong::defaultWithAlbum()
{
    if (m_closed)
        return;
    takeUnchecked();
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    SelectAlbum::run(this, [this](int response) {
        if (response != RequestCompleted || m_closed)
            return;
        // The picked album is in the album buffer.
        SongloreRecord song;
        song.setValues(m_session.values());
        SongEntry::defaultFromAlbum(song, ALB);
        const std::vector<QVariant> values = song.values();
        for (int f = 0; f < int(values.size()); ++f)
            m_session.setValue(f, values[size_t(f)]);
        redisplay();
    });
    GLO.ActionRequest = request;
}

void UpdateSong::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, QStringLiteral("UpdateSong"));
    if (!m_controls.empty())
        focusControl(m_controls.front());
}

void UpdateSong::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (m_session.response() != RequestCompleted)
            m_session.cancel();
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, QStringLiteral("UpdateSong"));
        m_session.close();
    }
    QDialog::done(result);
}

} // namespace melodex
