// The label wizard: type and source, then the texts face by face.
#include "ui/labels/labelwizard.h"

#include "app/globals.h"
#include "labels/labelfont.h"
#include "labels/labelpainter.h"
#include "labels/labeltextgenerator.h"
#include "services/dialogservice.h"
#include "services/messageservice.h"
#include "ui/catalog/selectalbum.h"
#include "ui/catalog/selectfilenumber.h"
#include "ui/labels/selectfont.h"
#include "ui/labels/updatelabels.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

namespace melodex {

namespace {

QPointer<LabelWizard> g_current;

// Pages of the sheet, one per step.
enum Page { WizardPage, GeneralPage, FrontPage, BackPage, SideAPage, SideBPage };
enum Face { FrontCover, BackCover, SideA, SideB };

QString shown(const QString &stored)
{
    return LabelPainter::displayText(stored);
}

QString stored(const QString &shownText)
{
    QString t = shownText;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

void applyFont(QWidget *editor, qint64 fontId)
{
    QFont font(QString::fromLatin1(LabelPainter::DefaultTypeFace), 9);
    QColor colour(Qt::black);
    LabelFont::apply(fontId, font, colour);
    editor->setFont(font);
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Text, colour);
    editor->setPalette(pal);
}

/// A caption whose mnemonic puts the focus into `field` itself (not into the row around it).
QLabel *caption(const QString &text, QWidget *field)
{
    auto *label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

/// Opens a picker over the albums or songs modal to `parent`; `chosen` runs when a record was
/// selected (it is then in the file's buffer).
template <class Picker> void openPicker(QWidget *parent, std::function<void()> chosen)
{
    const int request = GLO.ActionRequest;
    GLO.ActionRequest = SelectRecord;
    auto *picker = new Picker(parent);
    GLO.ActionRequest = request;
    picker->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(picker, &QDialog::finished, picker, [picker, chosen = std::move(chosen)] {
        if (picker->browse().response() == RequestCompleted)
            chosen();
    });
    picker->open();
}

} // namespace

LabelWizard::LabelWizard(QWidget *parent) : QDialog(parent)
{
    FormSession::Settings s = UpdateLabels::sessionSettings();
    s.lookups = {&Fonts, &Album, &Songlore};
    s.supportsCopy = false;
    s.historyName = QStringLiteral("LabelWizard");
    m_session = std::make_unique<FormSession>(s);
    build();
}

LabelWizard::~LabelWizard()
{
    if (!m_closed)
        m_session->close();
}

LabelWizard *LabelWizard::openNew(QWidget *parent, std::function<void()> closed)
{
    LAB.clear();
    GLO.ActionRequest = InsertRecord;
    auto *wizard = new LabelWizard(parent);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    if (!wizard->start()) {
        delete wizard;
        if (closed)
            closed();
        return nullptr;
    }
    g_current = wizard;
    connect(wizard, &QDialog::finished, wizard, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    if (parent)
        wizard->open();
    else
        wizard->show();
    return wizard;
}

void LabelWizard::run(QWidget *parent, std::function<void()> closed)
{
    openNew(parent, std::move(closed));
}

void LabelWizard::runForAlbum(const AlbumRecord &album)
{
    LabelWizard *wizard = openNew(nullptr, {});
    // No album highlighted (an empty list): the wizard as from the menu.
    if (wizard && album.AlbumID != 0)
        wizard->useAlbum(album);
}

LabelWizard *LabelWizard::current()
{
    return g_current;
}

bool LabelWizard::start()
{
    if (!m_session->start()) {
        m_closed = true;
        return false;
    }
    LabelsRecord l;
    l.setValues(m_session->values());
    // The wizard places the picture in the front insert's lower right part.
    if (l.ImagePositionX == 0 || l.ImagePositionX == 3771)
        l.ImagePositionX = 6792;
    if (l.ImagePositionY == 0 || l.ImagePositionY == 8438)
        l.ImagePositionY = 8052;
    showLabel(l);
    m_step = 1;
    showStep();
    return true;
}

void LabelWizard::build()
{
    setWindowTitle(QStringLiteral("Label Wizard"));
    auto *root = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    root->addWidget(m_pages, 1);
    auto fontButton = [this](const QString &caption, qint32 LabelsRecord::*member) {
        auto *b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, [this, member] { selectFont(member); });
        return b;
    };
    auto row = [](QWidget *a, QWidget *b) {
        auto *h = new QHBoxLayout;
        h->addWidget(a, 1);
        h->addWidget(b);
        return h;
    };

    // Step 1: the type and the source of the texts.
    auto *first = new QWidget;
    auto *fl = new QHBoxLayout(first);
    auto *picture = new QLabel(first);
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/labels.png"))
                           .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignTop);
    fl->addWidget(picture);
    auto *fv = new QVBoxLayout;
    fl->addLayout(fv, 1);
    fv->addWidget(new QLabel(
        QStringLiteral("This option will allow you to take information in your Melodex database\n"
                       "and print it in the form of cassette or compact disc labels."),
        first));
    fv->addSpacing(12);
    fv->addWidget(new QLabel(QStringLiteral("Step 1:  Select a label type"), first));
    m_type = new QComboBox(first);
    m_type->addItems({QStringLiteral("Cassette"), QStringLiteral("CD")});
    auto *typeLabel = new QLabel(QStringLiteral("&Label Type"), first);
    typeLabel->setBuddy(m_type);
    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(m_type);
    typeRow->addStretch(1);
    fv->addLayout(typeRow);
    fv->addSpacing(12);
    fv->addWidget(new QLabel(
        QStringLiteral("Step 2:  Select information using either an\nAlbum Title or File Number"),
        first));
    auto *sources = new QHBoxLayout;
    auto *album = new QPushButton(QStringLiteral("&Select Album"), first);
    auto *number = new QPushButton(QStringLiteral("&Select File Number"), first);
    sources->addWidget(album);
    sources->addWidget(number);
    sources->addStretch(1);
    fv->addLayout(sources);
    fv->addStretch(1);
    connect(album, &QPushButton::clicked, this, &LabelWizard::selectAlbum);
    connect(number, &QPushButton::clicked, this, &LabelWizard::selectFileNumber);
    connect(m_type, &QComboBox::currentTextChanged, this, [this] {
        m_label = label();
        applyType();
    });
    m_pages->addTab(first, QStringLiteral("Wizard"));

    // Step 2: the basic texts.
    auto *general = new QWidget;
    auto *gv = new QVBoxLayout(general);
    gv->addWidget(
        new QLabel(QStringLiteral("Enter the basic information for this label:"), general));
    auto *gl = new QFormLayout;
    gv->addLayout(gl);
    m_description = new QLineEdit(general);
    m_description->setMaxLength(30);
    gl->addRow(QStringLiteral("&Description:"), m_description);
    m_cdFields = new QWidget(general);
    auto *cdl = new QFormLayout(m_cdFields);
    cdl->setContentsMargins(0, 0, 0, 0);
    m_spine = new QLineEdit(m_cdFields);
    m_spine->setMaxLength(100);
    cdl->addRow(
        caption(QStringLiteral("&Spine:"), m_spine),
        row(m_spine, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CDSpineFontID)));
    m_cdTitle = new QLineEdit(m_cdFields);
    m_cdTitle->setMaxLength(100);
    cdl->addRow(
        caption(QStringLiteral("&Title:"), m_cdTitle),
        row(m_cdTitle, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CDTitleFontID)));
    m_image = new QLineEdit(m_cdFields);
    m_image->setMaxLength(255);
    auto *selectFile = new QPushButton(QStringLiteral("&Select File"), m_cdFields);
    connect(selectFile, &QPushButton::clicked, this, [this] {
        const QString chosen = DialogService::instance().getOpenFileName(
            QStringLiteral("Choose a File"), m_image->text().trimmed(),
            QStringLiteral("All Files|*.*|GIF Files|*.GIF|BMP Files|*.BMP|JPEG Files|*.JPG|"
                           "Windows Metafiles|*.WMF"));
        if (!chosen.isEmpty())
            m_image->setText(chosen);
    });
    cdl->addRow(QStringLiteral("Image:"), row(m_image, selectFile));
    gv->addWidget(m_cdFields);
    m_cassetteFields = new QWidget(general);
    auto *cal = new QFormLayout(m_cassetteFields);
    cal->setContentsMargins(0, 0, 0, 0);
    m_cassetteTitle = new QPlainTextEdit(m_cassetteFields);
    m_cassetteTitle->setFixedHeight(56);
    cal->addRow(caption(QStringLiteral("&Title:"), m_cassetteTitle),
                row(m_cassetteTitle,
                    fontButton(QStringLiteral("Select Font"), &LabelsRecord::CassetteTitleFontID)));
    m_flap = new QPlainTextEdit(m_cassetteFields);
    m_flap->setFixedHeight(56);
    cal->addRow(
        caption(QStringLiteral("&Flap:"), m_flap),
        row(m_flap, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CassetteFlapFontID)));
    gv->addWidget(m_cassetteFields);
    gv->addStretch(1);
    // The page's three forms share one column of captions.
    const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("Description:")) + 8;
    for (QFormLayout *form : {gl, cdl, cal})
        for (int r = 0; r < form->rowCount(); ++r)
            if (QLayoutItem *item = form->itemAt(r, QFormLayout::LabelRole); item && item->widget())
                item->widget()->setMinimumWidth(captionWidth);
    m_pages->addTab(general, QStringLiteral("General"));

    // Steps 3 to 6: one face each.
    const struct
    {
        const char *tab;
        const char *question;
        qint32 LabelsRecord::*font;
    } faces[] = {
        {"Front Cover", "What should be on the front cover of the CD?",
         &LabelsRecord::CDInsideTextFontID},
        {"Back Cover", "What should be on the back cover of the CD?",
         &LabelsRecord::CDCoverTextFontID},
        {"Side A", "What are the songs on Side A of the cassette?",
         &LabelsRecord::CassetteContentsFontID},
        {"Side B", "What are the songs on Side B of the cassette?",
         &LabelsRecord::CassetteContentsFontID},
    };
    int face = 0;
    for (const auto &f : faces) {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(new QLabel(QString::fromLatin1(f.question), page));
        m_texts[face] = new QPlainTextEdit(page);
        m_texts[face]->setLineWrapMode(QPlainTextEdit::NoWrap);
        v->addWidget(m_texts[face], 1);
        auto *h = new QHBoxLayout;
        h->addWidget(fontButton(QStringLiteral("&Select Font"), f.font));
        m_fontLabels[face] = new QLabel(page);
        h->addWidget(m_fontLabels[face], 1);
        v->addLayout(h);
        m_pages->addTab(page, QString::fromLatin1(f.tab));
        ++face;
    }

    auto *buttons = new QHBoxLayout;
    auto *previewButton = new QPushButton(QStringLiteral("Preview"), this);
    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_next = new QPushButton(QStringLiteral("&Next"), this);
    m_finish = new QPushButton(QStringLiteral("&Finish"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(previewButton);
    buttons->addStretch(1);
    for (QPushButton *b : {m_back, m_next, m_finish, cancel})
        buttons->addWidget(b);
    root->addLayout(buttons);
    connect(previewButton, &QPushButton::clicked, this, &LabelWizard::preview);
    connect(m_back, &QPushButton::clicked, this, &LabelWizard::pressBack);
    connect(m_next, &QPushButton::clicked, this, &LabelWizard::pressNext);
    connect(m_finish, &QPushButton::clicked, this, &LabelWizard::pressFinish);
    connect(cancel, &QPushButton::clicked, this, &LabelWizard::pressCancel);
    // The steps are walked with the buttons, not by clicking the tabs.
    m_pages->tabBar()->setEnabled(false);
    resize(600, 400);
}

void LabelWizard::showLabel(const LabelsRecord &l)
{
    m_label = l;
    {
        const QSignalBlocker block(m_type);
        m_type->setCurrentIndex(
            l.LabelType.trimmed().compare(QStringLiteral("CD"), Qt::CaseInsensitive) == 0 ? 1 : 0);
    }
    m_description->setText(l.LabelDescription);
    m_spine->setText(l.CDSpine);
    m_cdTitle->setText(l.CDTitle);
    m_image->setText(l.ImageName);
    m_cassetteTitle->setPlainText(shown(l.CassetteTitle));
    m_flap->setPlainText(shown(l.CassetteFlap));
    m_texts[FrontCover]->setPlainText(shown(l.CDInsideText));
    m_texts[BackCover]->setPlainText(shown(l.CDCoverText));
    m_texts[SideA]->setPlainText(shown(l.CassetteContentsA));
    m_texts[SideB]->setPlainText(shown(l.CassetteContentsB));
    applyType();
    applyFonts();
}

LabelsRecord LabelWizard::label() const
{
    LabelsRecord l = m_label;
    l.LabelType = m_type->currentText();
    l.LabelDescription = m_description->text();
    l.CDSpine = m_spine->text();
    l.CDTitle = m_cdTitle->text();
    l.ImageName = m_image->text();
    l.CassetteTitle = stored(m_cassetteTitle->toPlainText());
    l.CassetteFlap = stored(m_flap->toPlainText());
    l.CDInsideText = stored(m_texts[FrontCover]->toPlainText());
    l.CDCoverText = stored(m_texts[BackCover]->toPlainText());
    l.CassetteContentsA = stored(m_texts[SideA]->toPlainText());
    l.CassetteContentsB = stored(m_texts[SideB]->toPlainText());
    return l;
}

void LabelWizard::applyType()
{
    const bool cd = m_type->currentText() == QStringLiteral("CD");
    m_cdFields->setVisible(cd);
    m_cassetteFields->setVisible(!cd);
    for (int p : {FrontPage, BackPage})
        m_pages->setTabVisible(p, cd);
    for (int p : {SideAPage, SideBPage})
        m_pages->setTabVisible(p, !cd);
}

void LabelWizard::applyFonts()
{
    const qint32 ids[] = {m_label.CDInsideTextFontID, m_label.CDCoverTextFontID,
                          m_label.CassetteContentsFontID, m_label.CassetteContentsFontID};
    for (int f = 0; f < 4; ++f) {
        m_fontLabels[f]->setText(LabelFont::description(ids[f]));
        applyFont(m_texts[f], ids[f]);
    }
    applyFont(m_spine, m_label.CDSpineFontID);
    applyFont(m_cdTitle, m_label.CDTitleFontID);
    applyFont(m_cassetteTitle, m_label.CassetteTitleFontID);
    applyFont(m_flap, m_label.CassetteFlapFontID);
}

void LabelWizard::showStep()
{
    m_pages->setCurrentIndex(m_step - 1);
    const bool cd = m_type->currentText() == QStringLiteral("CD");
    const bool last = m_step == 6 || (cd && m_step == 4);
    m_back->setEnabled(m_step > 1);
    m_finish->setVisible(last);
    m_next->setEnabled(!last);
}

void LabelWizard::pressNext()
{
    const bool cd = m_type->currentText() == QStringLiteral("CD");
    if (m_step >= 6 || (cd && m_step >= 4))
        return;
    ++m_step;
    // A cassette passes over the CD covers.
    if (!cd && m_step == 3)
        m_step = 5;
    showStep();
}

void LabelWizard::pressBack()
{
    if (m_step <= 1)
        return;
    const bool cd = m_type->currentText() == QStringLiteral("CD");
    --m_step;
    if (!cd && m_step == 4)
        m_step = 2;
    showStep();
}

void LabelWizard::useAlbum(const AlbumRecord &album)
{
    LabelsRecord l = label();
    const int found = LabelTextGenerator().fromAlbum(l, album);
    showLabel(l);
    if (found > 0) {
        MessageRequest r;
        r.caption = QStringLiteral("Processing Complete");
        r.text = QStringLiteral("The text has been updated to use this information.");
        MessageService::instance().show(r);
    }
}

void LabelWizard::useSong(const SongloreRecord &song)
{
    LabelsRecord l = label();
    const int found = LabelTextGenerator().fromSong(l, song);
    showLabel(l);
    if (found > 0) {
        MessageRequest r;
        r.caption = QStringLiteral("Processing Complete");
        r.text = QStringLiteral("The text has been updated to use this information.");
        MessageService::instance().show(r);
    }
}

void LabelWizard::selectAlbum()
{
    openPicker<SelectAlbum>(this, [self = QPointer<LabelWizard>(this)] {
        if (self)
            self->useAlbum(ALB);
    });
}

void LabelWizard::selectFileNumber()
{
    openPicker<SelectFileNumber>(this, [self = QPointer<LabelWizard>(this)] {
        if (self)
            self->useSong(MUS);
    });
}

void LabelWizard::selectFont(qint32 LabelsRecord::*fontId)
{
    m_label = label();
    SelectFont::choose(this, [self = QPointer<LabelWizard>(this), fontId](qint64 id) {
        if (!self)
            return;
        self->m_label = self->label();
        self->m_label.*fontId = qint32(id);
        self->applyFonts();
    });
}

void LabelWizard::preview()
{
    m_label = label();
    LabelsRecord l = m_label;
    UpdateLabels::showPreview(this, l);
    m_label.ImagePositionX = l.ImagePositionX;
    m_label.ImagePositionY = l.ImagePositionY;
}

void LabelWizard::pressFinish()
{
    const LabelsRecord l = label();
    for (int f = 0; f < LabelsRecord::fieldCount; ++f)
        m_session->setValue(f, l.value(f));
    if (m_session->complete().closed)
        done(QDialog::Accepted);
}

void LabelWizard::pressCancel()
{
    done(QDialog::Rejected);
}

void LabelWizard::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (result != QDialog::Accepted)
            m_session->cancel();
        m_session->close();
    }
    QDialog::done(result);
}

} // namespace melodex
