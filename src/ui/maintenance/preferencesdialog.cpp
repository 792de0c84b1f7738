// The "Preferences" dialog: the program's settings, edited in place and saved on OK.
#include "ui/maintenance/preferencesdialog.h"

#include "app/globals.h"
#include "app/preferences.h"
#include "data/commanddatadirectory.h"
#include "maintenance/copytoalbum.h"
#include "maintenance/datetoyearrun.h"
#include "maintenance/testalbumids.h"
#include "platform/profile/profile.h"
#include "platform/store/engine.h"
#include "platform/store/store.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/browse/browselist.h"
#include "ui/browserservice.h"
#include "ui/interchange/batchprogresswindow.h"
#include "ui/lookup/windowlookup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace melodex {

namespace {

QLineEdit *boundEdit(QWidget *parent, QString &global, int width)
{
    auto *edit = new QLineEdit(global, parent);
    edit->setMaxLength(width);
    QObject::connect(edit, &QLineEdit::textEdited, parent,
                     [&global](const QString &text) { global = text; });
    return edit;
}

QCheckBox *boundFlag(QWidget *parent, const QString &text, quint8 &global)
{
    auto *box = new QCheckBox(text, parent);
    box->setChecked(global != 0);
    QObject::connect(box, &QCheckBox::toggled, parent, [&global](bool on) { global = on ? 1 : 0; });
    return box;
}

/// An option group whose chosen button's text is the global's value.
QGroupBox *boundOptions(QWidget *parent, const QString &title, const QStringList &options,
                        QString &global)
{
    auto *group = new QGroupBox(title, parent);
    auto *layout = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(group);
    for (const QString &option : options) {
        auto *b = new QRadioButton(option, group);
        b->setChecked(global == option);
        buttons->addButton(b);
        layout->addWidget(b);
        QObject::connect(b, &QRadioButton::toggled, group, [&global, option](bool on) {
            if (on)
                global = option;
        });
    }
    return group;
}

QWidget *page(QWidget *parent, QLayout *&layout, bool form)
{
    auto *w = new QWidget(parent);
    if (form) {
        auto *f = new QFormLayout(w);
        f->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
        layout = f;
    } else {
        layout = new QVBoxLayout(w);
    }
    return w;
}

int ask(const QString &caption, const QString &text, int defaultButton)
{
    return MessageService::instance().show(MessageRequest{caption, text, MessageRequest::Warning,
                                                          MessageRequest::Yes | MessageRequest::No,
                                                          defaultButton});
}

// A settings file that cannot be written keeps the dialog open: closing would say "saved".
void saveFailed()
{
    MessageService::instance().show(MessageRequest{
        QStringLiteral("Preferences"),
        QStringLiteral("The preferences could not be saved to %1. Check that the file and its "
                       "folder can be written, then press OK again, or Cancel.")
            .arg(profilePath(PreferencesIni)),
        MessageRequest::Error, MessageRequest::Ok, MessageRequest::Ok});
}

} // namespace

PreferencesDialog::PreferencesDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Preferences"));
    setObjectName(QStringLiteral("Setup"));

    m_dateFormat = new QComboBox(this);
    m_dateFormat->setObjectName(QStringLiteral("dateFormat"));
    for (const DateFormatChoice &c : dateFormatChoices())
        m_dateFormat->addItem(QString::fromLatin1(c.name));
    m_openingName = dateFormatName(GLO.DateFormat);
    if (m_openingName.isEmpty()) {
        // A picture of no choice is shown as it is, and stays a choice.
        m_openingName = GLO.DateFormat;
        m_dateFormat->addItem(m_openingName);
    }
    m_dateFormat->setCurrentText(m_openingName);
    loadStartUpFlags();

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(generalTab(), QStringLiteral("General"));
    m_tabs->addTab(startUpTab(), QStringLiteral("Start Up"));
    m_tabs->addTab(addingTab(), QStringLiteral("Adding"));
    m_tabs->addTab(labelsTab(), QStringLiteral("Labels"));
    m_tabs->addTab(housekeepingTab(), QStringLiteral("Housekeeping"));
    m_tabs->addTab(logoTab(), QStringLiteral("Report Logo"));
    m_tabs->addTab(cdTab(), QStringLiteral("CD Drive"));
    m_tabs->addTab(catalogueTab(), QStringLiteral("Catalogue Server"));

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PreferencesDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    setMinimumSize(640, 320);
}

QWidget *PreferencesDialog::generalTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, true);
    auto *form = static_cast<QFormLayout *>(l);
    form->addRow(QStringLiteral("Date Format:"), m_dateFormat);
    form->addRow(QStringLiteral("Label for \"User Defined Key Field\":"),
                 boundEdit(w, GLO.UDKPrompt, 24));
    form->addRow(QStringLiteral("Label to Use for Notes Field (on DJ Log):"),
                 boundEdit(w, GLO.NotesLabel, 20));

    // Where the catalogue is, so that the user can find it to copy or back it up.
    const QString folder = QDir(store::Store::instance().dataDirectory()).absolutePath();
    auto *row = new QWidget(w);
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto *where = new QLabel(QDir::toNativeSeparators(folder), row);
    where->setObjectName(QStringLiteral("dataFolder"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *open = new QPushButton(QStringLiteral("Open &Folder"), row);
    open->setObjectName(QStringLiteral("openDataFolder"));
    connect(open, &QPushButton::clicked, this, [folder] {
        if (!BrowserService::instance().openUrl(QUrl::fromLocalFile(folder)))
            MessageService::instance().show(
                MessageRequest{QStringLiteral("Data Folder"),
                               QStringLiteral("The folder %1 could not be opened.").arg(folder)});
    });
    h->addWidget(where, 1);
    h->addWidget(open);
    form->addRow(QStringLiteral("Data Folder:"), row);
    return w;
}

QWidget *PreferencesDialog::startUpTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, false);
    l->addWidget(boundFlag(w, QStringLiteral("Show Albums at Startup"), GLO.SU_Albums));
    l->addWidget(boundFlag(w, QStringLiteral("Show Songs at Startup"), GLO.SU_Songs));
    l->addWidget(boundFlag(w, QStringLiteral("Show Labels at Startup"), GLO.SU_Labels));
    l->addWidget(boundFlag(w, QStringLiteral("Show Playlists at Startup"), GLO.SU_Playlists));
    static_cast<QVBoxLayout *>(l)->addStretch();
    return w;
}

QWidget *PreferencesDialog::addingTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, false);
    l->addWidget(boundOptions(w, QStringLiteral("Add Mode"),
                              {QStringLiteral("Normal"), QStringLiteral("Compilation"),
                               QStringLiteral("Single Artist"), QStringLiteral("Ask Each Time")},
                              GLO.AddMode));
    // A text global that counts as on when not blank: checked stores "1", unchecked a blank.
    auto *autoAdd =
        new QCheckBox(QStringLiteral("Automatically Add Album Information to Album Database"), w);
    autoAdd->setObjectName(QStringLiteral("autoAddToAlbums"));
    autoAdd->setChecked(!GLO.AutoAddToAlbums.trimmed().isEmpty());
    connect(autoAdd, &QCheckBox::toggled, this,
            [](bool on) { GLO.AutoAddToAlbums = on ? QStringLiteral("1") : QString(); });
    l->addWidget(autoAdd);
    static_cast<QVBoxLayout *>(l)->addStretch();
    return w;
}

QWidget *PreferencesDialog::labelsTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, false);
    l->addWidget(boundOptions(w, QStringLiteral("Label Wizard Order"),
                              {QStringLiteral("Artist - Title"), QStringLiteral("Title - Artist")},
                              GLO.LabelArtistTitleOrder));
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Track #/Song Delimiter"), w));
    QLineEdit *delimiter = boundEdit(w, GLO.Delimiter, 1);
    delimiter->setObjectName(QStringLiteral("delimiter"));
    delimiter->setMaximumWidth(40);
    row->addWidget(delimiter);
    row->addStretch();
    static_cast<QVBoxLayout *>(l)->addLayout(row);
    static_cast<QVBoxLayout *>(l)->addStretch();
    return w;
}

QWidget *PreferencesDialog::housekeepingTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, false);
    auto *create =
        new QPushButton(QStringLiteral("Create Album Database from Songlore Database"), w);
    auto *test = new QPushButton(QStringLiteral("Test Album Database Link Integrity"), w);
    l->addWidget(create);
    l->addWidget(test);
    static_cast<QVBoxLayout *>(l)->addStretch();
    connect(create, &QPushButton::clicked, this, [this] {
        askAndRun(QStringLiteral("Create Album Database"),
                  QStringLiteral("This function will create the album database based on "
                                 "information in your main Songlore Pro database.  It may take "
                                 "some time to complete.  Are you sure you wish to continue?"),
                  [] { return std::make_unique<CopyToAlbum>(); });
    });
    connect(test, &QPushButton::clicked, this, [this] {
        askAndRun(QStringLiteral("Test Album Database Link Integrity"),
                  QStringLiteral("This function will test (and fix where possible) the links "
                                 "between the album database and your main Songlore Pro "
                                 "database.  It may take some time to complete.  Are you sure "
                                 "you wish to continue?"),
                  [] { return std::make_unique<TestAlbumIDs>(); });
    });
    return w;
}

QWidget *PreferencesDialog::logoTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, true);
    m_logo = boundEdit(w, GLO.Logo, 255);
    m_logo->setObjectName(QStringLiteral("logo"));
    auto *browse = new QPushButton(QStringLiteral("&Browse"), w);
    connect(browse, &QPushButton::clicked, this, &PreferencesDialog::browseForLogo);
    auto *row = new QHBoxLayout;
    row->addWidget(m_logo, 1);
    row->addWidget(browse);
    static_cast<QFormLayout *>(l)->addRow(QStringLiteral("Company Logo:"), row);
    return w;
}

QWidget *PreferencesDialog::cdTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, true);
    m_cdDevice = new QLineEdit(cdDevicePreference(), w);
    m_cdDevice->setObjectName(QStringLiteral("cdDevice"));
    m_cdDevice->setPlaceholderText(QStringLiteral("the system's default drive"));
    auto *form = static_cast<QFormLayout *>(l);
    form->addRow(QStringLiteral("CD Drive or Disc Image:"), m_cdDevice);
    auto *note = new QLabel(QStringLiteral("A drive such as /dev/sr0, or a .cue, .toc or .nrg "
                                           "disc image. Leave it empty for the default drive."),
                            w);
    note->setWordWrap(true);
    form->addRow(note);
    auto *automatic = new QCheckBox(QStringLiteral("Automatic &lookup in MusicBrainz after a disc "
                                                   "read"),
                                    w);
    automatic->setObjectName(QStringLiteral("automaticLookup"));
    automatic->setToolTip(QStringLiteral("Ask MusicBrainz for the titles of every disc read. "
                                         "Off: only when you press Look Up..."));
    automatic->setChecked(lookup::WindowLookup::automaticAfterDiscRead());
    form->addRow(automatic);
    return w;
}

QWidget *PreferencesDialog::catalogueTab()
{
    QLayout *l = nullptr;
    QWidget *w = page(this, l, true);
    auto *form = static_cast<QFormLayout *>(l);
    m_openingDatabase = preferredDatabase();
    m_database = new QLineEdit(m_openingDatabase, w);
    m_database->setObjectName(QStringLiteral("database"));
    m_database->setPlaceholderText(QStringLiteral("the data directory's own files"));
    form->addRow(QStringLiteral("PostgreSQL &Server:"), m_database);
    auto *test = new QPushButton(QStringLiteral("&Test Connection"), w);
    test->setObjectName(QStringLiteral("testConnection"));
    connect(test, &QPushButton::clicked, this, &PreferencesDialog::testConnection);
    auto *row = new QHBoxLayout;
    row->addWidget(test);
    row->addStretch();
    form->addRow(row);
    auto *note = new QLabel(
        QStringLiteral("Several stations share one catalogue on a PostgreSQL server (13 or "
                       "later). Give its address as postgresql://host/database (add "
                       "?sslmode=require for an encrypted connection, &melodex_schema=NAME for "
                       "another schema than melodex) or service=NAME. Leave it empty to keep the "
                       "catalogue in the data directory. The password is never kept here: put "
                       "it in ~/.pgpass, a service file or PGPASSWORD. A change takes effect "
                       "when Melodex starts again."),
        w);
    note->setWordWrap(true);
    form->addRow(note);
    return w;
}

void PreferencesDialog::testConnection()
{
    const QString address = m_database->text().trimmed();
    QString message;
    bool ok = false;
    if (address.isEmpty())
        message = QStringLiteral("No server is given: the catalogue is kept in the data "
                                 "directory.");
    else
        ok = store::checkDatabase(address, message);
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Test Connection"), message,
                       ok ? MessageRequest::Information : MessageRequest::Warning,
                       MessageRequest::Ok, MessageRequest::Ok});
}

bool PreferencesDialog::saveDatabase()
{
    const QString address = m_database->text().trimmed();
    if (address == m_openingDatabase)
        return true;
    if (store::databaseHasPassword(address)) {
        MessageService::instance().show(MessageRequest{
            QStringLiteral("Preferences"),
            QStringLiteral("The server address holds a password, which Melodex does not keep in "
                           "its settings. Remove it from the address and put it in the password "
                           "file (~/.pgpass), a service file or PGPASSWORD."),
            MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
        m_tabs->setCurrentWidget(m_database->parentWidget());
        m_database->setFocus();
        return false;
    }
    if (!writeDatabasePreference(address)) {
        saveFailed();
        return false;
    }
    m_openingDatabase = address;
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Information"),
                       QStringLiteral("The catalogue's place changes when Melodex starts again."),
                       MessageRequest::NoIcon, MessageRequest::Ok, MessageRequest::Ok});
    return true;
}

void PreferencesDialog::browseForLogo()
{
    const QString file = DialogService::instance().getOpenFileName(
        QStringLiteral("Choose a File"), GLO.Logo, QStringLiteral("All Files|*.*"));
    if (file.isEmpty())
        return;
    GLO.Logo = file.left(255);
    m_logo->setText(GLO.Logo);
}

void PreferencesDialog::askAndRun(const QString &name, const QString &question,
                                  std::function<std::unique_ptr<BatchRun>()> makeRun)
{
    if (m_running)
        return;
    if (ask(QStringLiteral("Housekeeping"), question, MessageRequest::No) != MessageRequest::Yes)
        return;
    std::unique_ptr<BatchRun> batch = makeRun();
    // The progress window owns the run until after the end is reported.
    const BatchRun *work = batch.get();
    run(std::move(batch), [name, work](BatchRun::State state) {
        // The lists show the new records while the summary is read.
        BrowseList::refreshAll();
        if (state != BatchRun::State::Failed)
            BatchProgressWindow::showSummary(name, *work, state);
    });
}

void PreferencesDialog::run(std::unique_ptr<BatchRun> batch,
                            std::function<void(BatchRun::State)> then)
{
    auto *window = new BatchProgressWindow(std::move(batch), this);
    window->setCaption(QStringLiteral("Progress..."));
    window->setWindowModality(Qt::WindowModal);
    connect(window, &BatchProgressWindow::finished, this,
            [this, window, then](BatchRun::State state) {
                m_running = nullptr;
                window->deleteLater();
                then(state);
            });
    m_running = window;
    if (!window->start()) {
        m_running = nullptr;
        delete window;
        then(BatchRun::State::Failed);
    }
}

void PreferencesDialog::accept()
{
    if (m_running)
        return;
    // A server address that cannot be kept keeps the dialog open before anything is written.
    if (!saveDatabase())
        return;
    bool saved = writePreferences();
    saved = writeCdDevicePreference(m_cdDevice->text().trimmed()) && saved;
    if (!saved) {
        saveFailed();
        return;
    }
    if (const auto *automatic = findChild<QCheckBox *>(QStringLiteral("automaticLookup")))
        lookup::WindowLookup::setAutomaticAfterDiscRead(automatic->isChecked());

    const QString selected = m_dateFormat->currentText();
    if (selected != m_openingName)
        MessageService::instance().show(MessageRequest{
            QStringLiteral("Information"),
            QStringLiteral("Date format changes will not affect currently open windows.  You "
                           "can close and re-open windows, or exit and restart Songlore Pro to "
                           "view information using the new date format."),
            MessageRequest::NoIcon, MessageRequest::Ok, MessageRequest::Ok});

    if (GLO.DateFormat != YearOnlyPicture && dateFormatPicture(selected) == YearOnlyPicture &&
        ask(QStringLiteral("Basic Format Changed"),
            QStringLiteral("Convert existing entries to Year Only format (day and month "
                           "information will be lost!)?"),
            MessageRequest::No) == MessageRequest::Yes) {
        // The format switches only when every date holds a year: a run that was stopped or
        // failed leaves the format as it was, and OK again converts the rest.
        auto unfinished = [this] {
            MessageService::instance().show(MessageRequest{
                QStringLiteral("Basic Format Changed"),
                QStringLiteral("The conversion to years did not finish, so the date format "
                               "stays as it was. Dates converted so far hold their years; press "
                               "OK again to convert the rest."),
                MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
        };
        run(DateToYearRun::songs(), [this, unfinished](BatchRun::State songs) {
            if (songs != BatchRun::State::Completed) {
                unfinished();
                return;
            }
            run(DateToYearRun::albums(), [this, unfinished](BatchRun::State albums) {
                if (albums != BatchRun::State::Completed) {
                    unfinished();
                    return;
                }
                finishOk();
            });
        });
        return;
    }
    finishOk();
}

void PreferencesDialog::finishOk()
{
    GLO.DateFormat = dateFormatPicture(m_dateFormat->currentText());
    if (!writeDateFormat()) {
        saveFailed();
        return;
    }
    QDialog::accept();
}

void PreferencesDialog::reject()
{
    if (m_running)
        return;
    reloadPreferences();
    QDialog::reject();
}

PreferencesDialog *PreferencesDialog::Setup(QWidget *parent)
{
    auto *dialog = new PreferencesDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

} // namespace melodex
