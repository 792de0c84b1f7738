// The playlist entry form: notes, the song picker and the song's artist and title.
#include "ui/playlists/updateplaylistdetails.h"

#include "app/globals.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "playlists/playlistentries.h"
#include "ui/catalog/selectfilenumber.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace melodex {

namespace {
const int songField = PlaylistDetailsRecord::fileLayout().fieldIndex(QStringLiteral("ID"));
}

UpdatePlaylistDetails::UpdatePlaylistDetails(QWidget *parent) : RecordForm(settings(), parent)
{
    auto *box = static_cast<QVBoxLayout *>(layout());
    auto *song = new QFormLayout;
    song->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_select = new QPushButton(QStringLiteral("&Select Song"), this);
    m_select->setAutoDefault(false);
    m_select->setToolTip(QStringLiteral("Choose the song of this entry"));
    song->addRow(QString(), m_select);
    auto display = [this, song](const QString &caption) {
        auto *edit = new QLineEdit(this);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        edit->setMinimumWidth(fontMetrics().averageCharWidth() * 42);
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        song->addRow(label, edit);
        return edit;
    };
    m_artist = display(QStringLiteral("&Artist:"));
    m_title = display(QStringLiteral("&Title:"));
    box->insertLayout(1, song);
    // The form sized itself for its entry fields alone.
    setMinimumSize(minimumSize().expandedTo(box->totalMinimumSize()));
    resize(minimumSize());
    connect(m_select, &QPushButton::clicked, this, &UpdatePlaylistDetails::selectSong);
    disconnect(okButton(), &QPushButton::clicked, this, nullptr);
    connect(okButton(), &QPushButton::clicked, this, &UpdatePlaylistDetails::pressOkChecked);
}

FormSettings UpdatePlaylistDetails::settings()
{
    FormSettings s;
    s.procedure = QStringLiteral("UpdatePlaylistDetails");
    s.session.file = &PlaylistDetails;
    s.session.lookups = {&Songlore};
    s.session.autoNumberKey = PlaylistDetailsRecord::KeyPlaylistID;
    s.session.uniqueKeys = {{PlaylistDetailsRecord::KeyPlaylistID, QStringLiteral("Playlist")}};
    s.session.fields = {{QStringLiteral("&Playlist Notes:"),
                         QStringLiteral("PLA:PlaylistNotes"),
                         QStringLiteral("@s40"),
                         {}}};
    s.session.historyName = s.procedure;
    s.session.fileName = QStringLiteral("PlaylistDetails");
    s.designedCaption = QStringLiteral("Update the PlaylistDetails File");
    s.insertCaption = QStringLiteral("Adding a Playlist Detail");
    s.changeCaption = QStringLiteral("Changing a Playlist Detail");
    s.okTip = QStringLiteral("Exit and save changes");
    s.cancelTip = QStringLiteral("Exit and do not save changes");
    s.designedSize = QSize(220, 70);
    return s;
}

bool UpdatePlaylistDetails::start()
{
    if (!RecordForm::start())
        return false;
    showSong();
    return true;
}

void UpdatePlaylistDetails::open(QWidget *parent, std::function<void(int)> then)
{
    auto *form = new UpdatePlaylistDetails(parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    if (!form->start()) {
        const int response = GLO.ActionResponse;
        delete form;
        if (then)
            then(response);
        return;
    }
    connect(form, &QDialog::finished, form, [then] {
        if (then)
            then(GLO.ActionResponse);
    });
    form->QDialog::open();
}

void UpdatePlaylistDetails::showSong()
{
    const qint64 id = session().value(songField).toLongLong();
    if (PlaylistEntries::songExists(id)) {
        m_artist->setText(MUS.Artist);
        m_title->setText(MUS.Title);
    } else {
        m_artist->clear();
        m_title->clear();
    }
}

void UpdatePlaylistDetails::selectSong()
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    const qint64 current = session().value(songField).toLongLong();
    if (current > 0)
        PlaylistEntries::songExists(current);
    SelectFileNumber::run(this, [this](int response) {
        if (response == RequestCompleted) {
            session().setValue(songField, qint64(MUS.ID));
            showSong();
        }
    });
    GLO.ActionRequest = request;
}

void UpdatePlaylistDetails::pressOkChecked()
{
    const int request = session().request();
    if ((request == InsertRecord || request == ChangeRecord) &&
        !PlaylistEntries::songExists(session().value(songField).toLongLong())) {
        // An entry plays a song; one that names none would stand in the playlist as a blank.
        StandardWarning(StandardMessage::FieldContentsError, QStringLiteral("PLA:ID"),
                        QStringLiteral("Songlore"));
        m_select->setFocus();
        return;
    }
    pressOk();
}

} // namespace melodex
