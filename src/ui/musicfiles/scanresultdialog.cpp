// The results of a music folder scan that need the user: kept edits and gone files.
#include "ui/musicfiles/scanresultdialog.h"

#include "services/messageservice.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace melodex {

bool ScanResultDialog::hasAnything(const musicfiles::MusicScan &scan)
{
    return !scan.keptEdits().empty() || !scan.gone().empty();
}

ScanResultDialog::ScanResultDialog(std::vector<musicfiles::KeptEdit> edits,
                                   std::vector<musicfiles::GoneFile> gone, QWidget *parent)
    : QDialog(parent), m_gone(std::move(gone))
{
    setWindowTitle(QStringLiteral("Music Folder Scanned"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);

    auto *editCaption = new QLabel(
        QStringLiteral("Fields you changed in the catalogue, kept although their files say "
                       "otherwise (%1):")
            .arg(edits.size()),
        this);
    m_edits = new QTreeWidget(this);
    m_edits->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Field"),
                              QStringLiteral("Kept"), QStringLiteral("The file says")});
    for (const musicfiles::KeptEdit &e : edits)
        new QTreeWidgetItem(m_edits, {e.file, e.field, e.kept, e.fileSays});
    m_edits->setRootIsDecorated(false);
    m_edits->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(editCaption);
    layout->addWidget(m_edits);
    editCaption->setVisible(!edits.empty());
    m_edits->setVisible(!edits.empty());

    auto *goneCaption =
        new QLabel(QStringLiteral("Files that are gone (%1). Keep their songs, or delete them?")
                       .arg(m_gone.size()),
                   this);
    m_goneList = new QTreeWidget(this);
    m_goneList->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Song")});
    for (const musicfiles::GoneFile &g : m_gone)
        new QTreeWidgetItem(m_goneList, {g.file, g.song});
    m_goneList->setRootIsDecorated(false);
    m_goneList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(goneCaption);
    layout->addWidget(m_goneList);
    goneCaption->setVisible(!m_gone.empty());
    m_goneList->setVisible(!m_gone.empty());

    auto *buttons = new QDialogButtonBox(this);
    m_delete = buttons->addButton(QStringLiteral("&Delete Their Songs"),
                                  QDialogButtonBox::DestructiveRole);
    m_keep = buttons->addButton(m_gone.empty() ? QStringLiteral("&Close")
                                               : QStringLiteral("&Keep Their Songs"),
                                QDialogButtonBox::AcceptRole);
    m_delete->setVisible(!m_gone.empty());
    m_keep->setDefault(true);
    connect(m_keep, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_delete, &QPushButton::clicked, this, &ScanResultDialog::deleteGone);
    layout->addWidget(buttons);
    resize(720, 420);
}

void ScanResultDialog::deleteGone()
{
    std::vector<qint32> ids;
    for (const musicfiles::GoneFile &g : m_gone)
        ids.push_back(g.songId);
    const musicfiles::MusicScan::Removal removal = musicfiles::MusicScan::deleteGoneSongs(ids);
    if (!removal.error.isEmpty()) {
        MessageService::instance().show(
            MessageRequest{QStringLiteral("Delete Songs"), removal.error, MessageRequest::Error});
        return;
    }
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Delete Songs"),
                       QStringLiteral("%1 song(s) of gone files deleted.").arg(removal.deleted)});
    accept();
}

} // namespace melodex
