// The chooser's table and the search dialog's four fields.
#include "ui/lookup/releasechooser.h"

#include "lookup/wizardfill.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace melodex::lookup {

ReleaseChooser::ReleaseChooser(const std::vector<Release> &releases, const QString &discId,
                               QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReleaseChooser"));
    setWindowTitle(QStringLiteral("Choose a Release"));
    auto *layout = new QVBoxLayout(this);
    auto *intro =
        new QLabel(releases.size() == 1
                       ? QStringLiteral("MusicBrainz knows this release. Use it?")
                       : QStringLiteral("MusicBrainz knows %1 releases. Choose the one you have:")
                             .arg(releases.size()),
                   this);
    layout->addWidget(intro);

    const QStringList columns = chooserColumns();
    m_table = new QTableWidget(int(releases.size()), int(columns.size()), this);
    m_table->setHorizontalHeaderLabels(columns);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    for (int r = 0; r < int(releases.size()); ++r) {
        const QStringList row = chooserRow(releases[size_t(r)], discId);
        for (int c = 0; c < int(row.size()); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(row[c]));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    if (!releases.empty())
        m_table->selectRow(0);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    layout->addWidget(m_table, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *use =
        buttons->addButton(QStringLiteral("&Use This Release"), QDialogButtonBox::AcceptRole);
    use->setDefault(true);
    buttons->addButton(QStringLiteral("&None of These"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    const int ch = fontMetrics().averageCharWidth();
    const int rows = std::min<int>(int(releases.size()), 12);
    resize(ch * 130, m_table->verticalHeader()->defaultSectionSize() * (rows + 1) +
                         fontMetrics().height() * 8);
}

int ReleaseChooser::chosenIndex() const
{
    return result() == QDialog::Accepted ? m_table->currentRow() : -1;
}

ReleaseChooser *ReleaseChooser::choose(QWidget *parent, const std::vector<Release> &releases,
                                       const QString &discId, std::function<void(int)> chosen)
{
    auto *dialog = new ReleaseChooser(releases, discId, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    connect(dialog, &QDialog::finished, dialog,
            [dialog, chosen = std::move(chosen)](int) { chosen(dialog->chosenIndex()); });
    dialog->open();
    return dialog;
}

SearchDialog::SearchDialog(const SearchTerms &terms, QWidget *parent)
    : QDialog(parent), m_artist(new QLineEdit(terms.artist, this)),
      m_album(new QLineEdit(terms.album, this)), m_barcode(new QLineEdit(terms.barcode, this)),
      m_format(new QLineEdit(terms.format, this))
{
    setObjectName(QStringLiteral("LookupSearch"));
    setWindowTitle(QStringLiteral("Look Up in MusicBrainz"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Artist:"), m_artist);
    form->addRow(QStringLiteral("A&lbum:"), m_album);
    form->addRow(QStringLiteral("&Barcode:"), m_barcode);
    form->addRow(QStringLiteral("&Format:"), m_format);
    m_format->setPlaceholderText(QStringLiteral("CD, Vinyl, Cassette, ... (optional)"));
    m_barcode->setPlaceholderText(QStringLiteral("(optional)"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Search"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_artist->text().trimmed().isEmpty() && m_album->text().trimmed().isEmpty() &&
            m_barcode->text().trimmed().isEmpty()) {
            m_album->setFocus();
            return;
        }
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 60, sizeHint().height());
}

SearchTerms SearchDialog::terms() const
{
    return {m_artist->text().trimmed(), m_album->text().trimmed(), m_barcode->text().trimmed(),
            m_format->text().trimmed()};
}

SearchDialog *SearchDialog::ask(QWidget *parent, const SearchTerms &terms,
                                std::function<void(const SearchTerms &)> search)
{
    auto *dialog = new SearchDialog(terms, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    connect(dialog, &QDialog::accepted, dialog,
            [dialog, search = std::move(search)] { search(dialog->terms()); });
    dialog->open();
    return dialog;
}

} // namespace melodex::lookup
