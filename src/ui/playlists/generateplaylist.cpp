// The random playlist window: its fields, their checks and the generation on OK.
#include "ui/playlists/generateplaylist.h"

#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/waitcursor.h"
#include "data/records.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "platform/store/cliptext.h"
#include "platform/store/collation.h"
#include "platform/store/fileuses.h"
#include "ui/layout/windowplacement.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <memory>

namespace melodex {

GeneratePlaylist::GeneratePlaylist(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Generate Play List"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_size = new QSpinBox(this);
    m_size->setRange(0, PlaylistGenerator::MaxSize);
    m_size->setValue(0);
    m_size->setMaximumWidth(fontMetrics().averageCharWidth() * 10);
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    for (QLineEdit *e : {m_from, m_to}) {
        e->setMaximumWidth(fontMetrics().averageCharWidth() * 16);
        e->setPlaceholderText(dates::example());
    }
    m_category = new QComboBox(this);
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->setToolTip(QStringLiteral("Category"));
    m_category->addItem(QString());
    {
        store::FileUse use(Categories);
        if (use.ok()) {
            Categories.set(CategoriesRecord::KeyCategory);
            while (Categories.next() == 0)
                m_category->addItem(CAT.Category);
        }
    }
    m_category->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    auto row = [&](const char *caption, QWidget *w) {
        auto *l = new QLabel(QLatin1String(caption), this);
        l->setBuddy(w);
        form->addRow(l, w);
    };
    row("Play List Size (Number of Songs):", m_size);
    row("Starting Release Date:", m_from);
    row("Ending Release Date:", m_to);
    row("Category (Blank for All):", m_category);
    layout->addLayout(form);

    auto *group = new QGroupBox(QStringLiteral("Weighting"), this);
    auto *choices = new QVBoxLayout(group);
    m_weighting = new QButtonGroup(this);
    const QStringList names = PlaylistGenerator::weightingNames();
    for (int i = 0; i < names.size(); ++i) {
        auto *b = new QRadioButton(names[i], group);
        m_weighting->addButton(b, i);
        choices->addWidget(b);
    }
    layout->addWidget(group);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &GeneratePlaylist::pressOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void GeneratePlaylist::open(QWidget *parent, std::function<void(qint32)> then)
{
    auto *window = new GeneratePlaylist(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QDialog::finished, window, [window, then] {
        if (then)
            then(window->result().outcome == PlaylistGenerator::Outcome::Created
                     ? window->result().playlistId
                     : 0);
    });
    window->QDialog::open();
}

bool GeneratePlaylist::readDate(QLineEdit *edit, qint32 &day)
{
    day = 0;
    const std::optional<qint32> value = dates::read(edit->text());
    if (!value) {
        dates::refuse(edit->text());
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    day = *value;
    edit->setText(dates::show(day));
    return true;
}

void GeneratePlaylist::pressOk()
{
    qint32 from = 0, to = 0;
    if (!readDate(m_from, from) || !readDate(m_to, to))
        return;
    const QString category = store::clipped(m_category->currentText());
    if (!category.trimmed().isEmpty()) {
        int found = -1;
        for (int i = 1; i < m_category->count() && found < 0; ++i)
            if (store::compareKeyText(m_category->itemText(i), category) == 0)
                found = i;
        if (found < 0) {
            m_category->setFocus();
            m_category->lineEdit()->selectAll();
            return;
        }
    }

    PlaylistGenerator::Settings s;
    s.size = m_size->value();
    s.startDate = from;
    s.endDate = to;
    s.category = category;
    const int chosen = m_weighting->checkedId();
    s.weighting =
        chosen < 0 ? PlaylistGenerator::Weighting::None : PlaylistGenerator::Weighting(chosen);
    {
        const store::FileUses uses{&Songlore, &Categories, &PlaylistMaster, &PlaylistDetails};
        if (!uses.ok()) {
            reject();
            return;
        }
        WaitCursor wait;
        PlaylistGenerator generator(m_random ? *m_random : *QRandomGenerator::global(),
                                    picture::todayDayNumber());
        m_result = generator.generate(s);
    }
    if (m_result.outcome == PlaylistGenerator::Outcome::NoCategory) {
        m_category->setFocus();
        return;
    }
    accept();
}

void GeneratePlaylist::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, QStringLiteral("GeneratePlaylist"));
    m_size->setFocus();
    m_size->selectAll();
}

void GeneratePlaylist::done(int result)
{
    if (m_shown)
        SaveWindowPlacement(this, WindowStateIni, QStringLiteral("GeneratePlaylist"));
    QDialog::done(result);
}

} // namespace melodex
