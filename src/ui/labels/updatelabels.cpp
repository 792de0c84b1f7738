// The label form: the faces of a CD or cassette case on tabs, each text in its print font.
#include "ui/labels/updatelabels.h"

#include "app/globals.h"
#include "labels/labelfont.h"
#include "labels/labelpainter.h"
#include "services/dialogservice.h"
#include "ui/labels/selectfont.h"
#include "ui/layout/windowplacement.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

namespace melodex {

namespace {

enum Tab { GeneralTab, FrontTab, BackTab, PositionTab, SideATab, SideBTab };
enum SizeOption { Actual, Thumbnail, Other };

const QString Placement = QStringLiteral("UpdateLabelsD");

std::function<void(QWidget *, LabelsRecord &)> &previewer()
{
    static std::function<void(QWidget *, LabelsRecord &)> p;
    return p;
}

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

QComboBox *justificationBox(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->addItems({QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")});
    return box;
}

void setJustification(QComboBox *box, const QString &value)
{
    const int i = box->findText(value.trimmed(), Qt::MatchFixedString);
    box->setCurrentIndex(i >= 0 ? i : 0);
}

/// The designed font of an element with its favourite font applied, so that the entry shows
/// the text as it will print.
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

} // namespace

UpdateLabels::UpdateLabels(QWidget *parent)
    : QDialog(parent), m_session(std::make_unique<FormSession>(sessionSettings()))
{
    build();
}

UpdateLabels::~UpdateLabels()
{
    if (!m_closed)
        m_session->close();
}

void UpdateLabels::setPreviewer(std::function<void(QWidget *, LabelsRecord &)> p)
{
    previewer() = std::move(p);
}

void UpdateLabels::showPreview(QWidget *parent, LabelsRecord &label)
{
    if (previewer())
        previewer()(parent, label);
}

FormSession::Settings UpdateLabels::sessionSettings()
{
    FormSession::Settings s;
    s.file = &Labels;
    s.lookups = {&Fonts};
    s.autoNumberKey = LabelsRecord::KeyLabelID;
    s.uniqueKeys = {
        {LabelsRecord::KeyLabelID, QStringLiteral("LAB:KeyLabelID")},
        {LabelsRecord::KeyLabelDescription, QStringLiteral("LAB:KeyLabelDescription")},
    };
    // Add and Copy both start a cassette label with no description and a thumbnail picture.
    s.primes = [](FormSession &) {
        LAB.LabelType = QStringLiteral("Cassette");
        LAB.LabelDescription.clear();
        LAB.ImageSize = QStringLiteral("Thumbnail");
        LAB.ImageSizeX = 1000;
        LAB.ImageSizeY = QStringLiteral("1000");
    };
    s.supportsCopy = true;
    s.historyName = QStringLiteral("UpdateLabels");
    s.fileName = QStringLiteral("Labels");
    return s;
}

bool UpdateLabels::start()
{
    if (!m_session->start()) {
        m_closed = true;
        return false;
    }
    LabelsRecord label;
    label.setValues(m_session->values());
    if (label.ImagePositionX == 0)
        label.ImagePositionX = 3771;
    if (label.ImagePositionY == 0)
        label.ImagePositionY = 8438;
    showLabel(label);
    return true;
}

void UpdateLabels::run(QWidget *caller, FormDone then)
{
    auto *form = new UpdateLabels(caller);
    if (!form->start()) {
        delete form;
        if (then)
            then(GLO.ActionResponse);
        return;
    }
    RestoreWindowPlacement(form, WindowStateIni, Placement);
    form->m_shown = true;
    callForm(caller, form, std::move(then));
}

void UpdateLabels::build()
{
    setWindowTitle(QStringLiteral("Update Label"));
    auto *root = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    root->addWidget(m_tabs, 1);

    auto fontButton = [this](const QString &caption, qint32 LabelsRecord::*member) {
        auto *b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, [this, member] { selectFont(member); });
        return b;
    };
    auto buddy = [](const QString &caption, QWidget *field) {
        auto *l = new QLabel(caption, field->parentWidget());
        l->setBuddy(field);
        return l;
    };
    auto row = [](QWidget *a, QWidget *b, QWidget *c = nullptr) {
        auto *h = new QHBoxLayout;
        h->addWidget(a, 1);
        h->addWidget(b);
        if (c)
            h->addWidget(c);
        return h;
    };

    // General
    auto *general = new QWidget;
    auto *gv = new QVBoxLayout(general);
    auto *gl = new QFormLayout;
    gv->addLayout(gl);
    m_description = new QLineEdit(general);
    m_description->setMaxLength(30);
    gl->addRow(QStringLiteral("&Description:"), m_description);
    m_type = new QComboBox(general);
    m_type->addItems({QStringLiteral("Cassette"), QStringLiteral("CD")});
    gl->addRow(QStringLiteral("&Label Type:"), m_type);

    m_cdGeneral = new QWidget(general);
    auto *cdl = new QFormLayout(m_cdGeneral);
    cdl->setContentsMargins(0, 0, 0, 0);
    m_spine = new QLineEdit(m_cdGeneral);
    m_spine->setMaxLength(100);
    m_spineFont = new QLabel(m_cdGeneral);
    cdl->addRow(
        buddy(QStringLiteral("&Spine:"), m_spine),
        row(m_spine, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CDSpineFontID)));
    m_spineJustification = justificationBox(m_cdGeneral);
    cdl->addRow(QStringLiteral("Spine Text Justification:"), m_spineJustification);
    m_cdTitle = new QLineEdit(m_cdGeneral);
    m_cdTitle->setMaxLength(100);
    m_titleFont = new QLabel(m_cdGeneral);
    cdl->addRow(
        buddy(QStringLiteral("&Title:"), m_cdTitle),
        row(m_cdTitle, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CDTitleFontID)));
    m_image = new QLineEdit(m_cdGeneral);
    m_image->setMaxLength(255);
    auto *selectFile = new QPushButton(QStringLiteral("Select File"), m_cdGeneral);
    connect(selectFile, &QPushButton::clicked, this, &UpdateLabels::selectFile);
    connect(m_image, &QLineEdit::textChanged, this, &UpdateLabels::updateImagePreview);
    cdl->addRow(QStringLiteral("Image:"), row(m_image, selectFile));
    m_imagePreview = new QLabel(m_cdGeneral);
    m_imagePreview->setFixedSize(96, 96);
    m_imagePreview->setFrameShape(QFrame::Box);
    m_imagePreview->setAlignment(Qt::AlignCenter);
    cdl->addRow(QString(), m_imagePreview);
    gv->addWidget(m_cdGeneral);

    m_cassetteGeneral = new QWidget(general);
    auto *cal = new QFormLayout(m_cassetteGeneral);
    cal->setContentsMargins(0, 0, 0, 0);
    m_cassetteTitle = new QPlainTextEdit(m_cassetteGeneral);
    m_cassetteTitle->setFixedHeight(56);
    cal->addRow(buddy(QStringLiteral("&Title:"), m_cassetteTitle),
                row(m_cassetteTitle,
                    fontButton(QStringLiteral("Select Font"), &LabelsRecord::CassetteTitleFontID)));
    m_flap = new QPlainTextEdit(m_cassetteGeneral);
    m_flap->setFixedHeight(56);
    cal->addRow(
        buddy(QStringLiteral("&Flap:"), m_flap),
        row(m_flap, fontButton(QStringLiteral("Select Font"), &LabelsRecord::CassetteFlapFontID)));
    gv->addWidget(m_cassetteGeneral);
    gv->addStretch(1);
    // The three forms of the page share one column of captions.
    const int captionWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("Spine Text Justification:")) + 8;
    for (QFormLayout *form : {gl, cdl, cal})
        for (int r = 0; r < form->rowCount(); ++r)
            if (QLayoutItem *item = form->itemAt(r, QFormLayout::LabelRole); item && item->widget())
                item->widget()->setMinimumWidth(captionWidth);
    m_tabs->addTab(general, QStringLiteral("General"));
    m_pages[GeneralTab] = general;

    // The four song faces: the text, its font description and "Select Font".
    const struct
    {
        Face face;
        const char *title;
        qint32 LabelsRecord::*font;
    } faces[] = {
        {FrontCover, "Front Cover", &LabelsRecord::CDInsideTextFontID},
        {BackCover, "Back Cover", &LabelsRecord::CDCoverTextFontID},
        {SideA, "Side A", &LabelsRecord::CassetteContentsFontID},
        {SideB, "Side B", &LabelsRecord::CassetteContentsFontID},
    };
    const int tabOf[] = {FrontTab, BackTab, SideATab, SideBTab};
    for (const auto &f : faces) {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        m_faceTexts[f.face] = new QPlainTextEdit(page);
        m_faceTexts[f.face]->setLineWrapMode(QPlainTextEdit::NoWrap);
        v->addWidget(m_faceTexts[f.face], 1);
        m_fontLabels[f.face] = new QLabel(page);
        auto *h = new QHBoxLayout;
        h->addWidget(fontButton(QStringLiteral("Select Font"), f.font));
        h->addWidget(m_fontLabels[f.face], 1);
        v->addLayout(h);
        if (f.face == FrontCover || f.face == BackCover) {
            auto *j = new QHBoxLayout;
            QComboBox *box = justificationBox(page);
            (f.face == FrontCover ? m_frontJustification : m_backJustification) = box;
            j->addWidget(new QLabel(f.face == FrontCover
                                        ? QStringLiteral("Front Cover Justification:")
                                        : QStringLiteral("Back Cover Justification:"),
                                    page));
            j->addWidget(box);
            j->addStretch(1);
            v->addLayout(j);
        }
        m_pages[tabOf[f.face]] = page;
    }

    // Position of the picture, in thousandths of an inch.
    auto *position = new QWidget;
    auto *pl = new QFormLayout(position);
    m_x = new QSpinBox(position);
    m_x->setRange(0, 99999);
    m_y = new QSpinBox(position);
    m_y->setRange(0, 99999);
    pl->addRow(QStringLiteral("&X (1/1000 inch from the left):"), m_x);
    pl->addRow(QStringLiteral("&Y (1/1000 inch from the top):"), m_y);
    m_size = new QButtonGroup(position);
    auto *sizes = new QHBoxLayout;
    int id = 0;
    for (const char *caption : {"&Actual", "T&humbnail", "&Other"}) {
        auto *r = new QRadioButton(QString::fromLatin1(caption), position);
        m_size->addButton(r, id++);
        sizes->addWidget(r);
    }
    sizes->addStretch(1);
    pl->addRow(QStringLiteral("Size:"), sizes);
    connect(m_size, &QButtonGroup::idClicked, this, &UpdateLabels::setImageSize);
    m_width = new QLineEdit(position);
    m_height = new QLineEdit(position);
    m_height->setMaxLength(20);
    m_widthLabel = new QLabel(QStringLiteral("Width:"), position);
    m_heightLabel = new QLabel(QStringLiteral("Height:"), position);
    pl->addRow(m_widthLabel, m_width);
    pl->addRow(m_heightLabel, m_height);
    m_pages[PositionTab] = position;

    m_tabs->addTab(m_pages[FrontTab], QStringLiteral("Front Cover"));
    m_tabs->addTab(m_pages[BackTab], QStringLiteral("Back Cover"));
    m_tabs->addTab(m_pages[PositionTab], QStringLiteral("Position"));
    m_tabs->addTab(m_pages[SideATab], QStringLiteral("Side A"));
    m_tabs->addTab(m_pages[SideBTab], QStringLiteral("Side B"));

    auto *buttons = new QHBoxLayout;
    m_preview = new QPushButton(QStringLiteral("Preview"), this);
    m_preview->setToolTip(QStringLiteral("Preview the label as it stands, without saving it"));
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(m_preview);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
    connect(m_preview, &QPushButton::clicked, this, &UpdateLabels::preview);
    connect(ok, &QPushButton::clicked, this, &UpdateLabels::pressOk);
    connect(cancel, &QPushButton::clicked, this, &UpdateLabels::pressCancel);
    connect(m_type, &QComboBox::currentTextChanged, this, [this] {
        m_label = label();
        applyType();
        applyFonts();
    });
    resize(560, 420);
}

void UpdateLabels::showLabel(const LabelsRecord &l)
{
    m_label = l;
    m_description->setText(l.LabelDescription);
    {
        const QSignalBlocker block(m_type);
        m_type->setCurrentIndex(
            l.LabelType.trimmed().compare(QStringLiteral("CD"), Qt::CaseInsensitive) == 0 ? 1 : 0);
    }
    m_spine->setText(l.CDSpine);
    setJustification(m_spineJustification, l.CDSpineJustification);
    m_cdTitle->setText(l.CDTitle);
    m_cassetteTitle->setPlainText(shown(l.CassetteTitle));
    m_flap->setPlainText(shown(l.CassetteFlap));
    m_image->setText(l.ImageName);
    m_faceTexts[FrontCover]->setPlainText(shown(l.CDInsideText));
    m_faceTexts[BackCover]->setPlainText(shown(l.CDCoverText));
    m_faceTexts[SideA]->setPlainText(shown(l.CassetteContentsA));
    m_faceTexts[SideB]->setPlainText(shown(l.CassetteContentsB));
    setJustification(m_frontJustification, l.CDTextJustification);
    setJustification(m_backJustification, l.CDBackCoverJustification);
    m_x->setValue(l.ImagePositionX);
    m_y->setValue(l.ImagePositionY);
    const QString size = l.ImageSize.trimmed().toLower();
    const int option = size == QStringLiteral("actual")  ? Actual
                       : size == QStringLiteral("other") ? Other
                                                         : Thumbnail;
    m_size->button(option)->setChecked(true);
    m_width->setText(QString::number(l.ImageSizeX));
    m_height->setText(l.ImageSizeY);
    m_width->setVisible(option == Other);
    m_height->setVisible(option == Other);
    m_widthLabel->setVisible(option == Other);
    m_heightLabel->setVisible(option == Other);
    applyType();
    applyFonts();
    updateImagePreview();
}

LabelsRecord UpdateLabels::label() const
{
    LabelsRecord l = m_label;
    l.LabelDescription = m_description->text();
    l.LabelType = m_type->currentText();
    l.CDSpine = m_spine->text();
    l.CDSpineJustification = m_spineJustification->currentText();
    l.CDTitle = m_cdTitle->text();
    l.CassetteTitle = stored(m_cassetteTitle->toPlainText());
    l.CassetteFlap = stored(m_flap->toPlainText());
    l.ImageName = m_image->text();
    l.CDInsideText = stored(m_faceTexts[FrontCover]->toPlainText());
    l.CDCoverText = stored(m_faceTexts[BackCover]->toPlainText());
    l.CassetteContentsA = stored(m_faceTexts[SideA]->toPlainText());
    l.CassetteContentsB = stored(m_faceTexts[SideB]->toPlainText());
    l.CDTextJustification = m_frontJustification->currentText();
    l.CDBackCoverJustification = m_backJustification->currentText();
    l.ImagePositionX = m_x->value();
    l.ImagePositionY = m_y->value();
    static const QString sizes[] = {QStringLiteral("Actual"), QStringLiteral("Thumbnail"),
                                    QStringLiteral("Other")};
    l.ImageSize = sizes[std::max(0, m_size->checkedId())];
    l.ImageSizeX = m_width->text().trimmed().toInt();
    l.ImageSizeY = m_height->text().trimmed();
    return l;
}

void UpdateLabels::applyType()
{
    const bool cd = m_type->currentText() == QStringLiteral("CD");
    m_cdGeneral->setVisible(cd);
    m_cassetteGeneral->setVisible(!cd);
    for (int t : {FrontTab, BackTab, PositionTab})
        m_tabs->setTabVisible(m_tabs->indexOf(m_pages[t]), cd);
    for (int t : {SideATab, SideBTab})
        m_tabs->setTabVisible(m_tabs->indexOf(m_pages[t]), !cd);
}

void UpdateLabels::applyFonts()
{
    m_fontLabels[FrontCover]->setText(LabelFont::description(m_label.CDInsideTextFontID));
    m_fontLabels[BackCover]->setText(LabelFont::description(m_label.CDCoverTextFontID));
    m_fontLabels[SideA]->setText(LabelFont::description(m_label.CassetteContentsFontID));
    m_fontLabels[SideB]->setText(LabelFont::description(m_label.CassetteContentsFontID));
    applyFont(m_spine, m_label.CDSpineFontID);
    applyFont(m_cdTitle, m_label.CDTitleFontID);
    applyFont(m_cassetteTitle, m_label.CassetteTitleFontID);
    applyFont(m_flap, m_label.CassetteFlapFontID);
    applyFont(m_faceTexts[FrontCover], m_label.CDInsideTextFontID);
    applyFont(m_faceTexts[BackCover], m_label.CDCoverTextFontID);
    applyFont(m_faceTexts[SideA], m_label.CassetteContentsFontID);
    applyFont(m_faceTexts[SideB], m_label.CassetteContentsFontID);
}

void UpdateLabels::updateImagePreview()
{
    const QString name = m_image->text().trimmed();
    m_imagePreview->setVisible(!name.isEmpty());
    if (name.isEmpty())
        return;
    const QPixmap pm(name);
    if (pm.isNull())
        m_imagePreview->setText(QStringLiteral("(no picture)"));
    else
        m_imagePreview->setPixmap(pm.scaled(m_imagePreview->size() - QSize(4, 4),
                                            Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void UpdateLabels::selectFont(qint32 LabelsRecord::*fontId)
{
    m_label = label();
    SelectFont::choose(this, [self = QPointer<UpdateLabels>(this), fontId](qint64 id) {
        if (!self)
            return;
        self->m_label = self->label();
        self->m_label.*fontId = qint32(id);
        self->applyFonts();
    });
}

void UpdateLabels::selectFile()
{
    const QString chosen = DialogService::instance().getOpenFileName(
        QStringLiteral("Choose a File"), m_image->text().trimmed(),
        QStringLiteral("All Files|*.*|GIF Files|*.GIF|BMP Files|*.BMP|JPEG Files|*.JPG|"
                       "Windows Metafiles|*.WMF"));
    if (!chosen.isEmpty())
        m_image->setText(chosen);
}

void UpdateLabels::setImageSize(int option)
{
    if (option == Actual) {
        m_width->setText(QStringLiteral("0"));
        m_height->setText(QStringLiteral("0"));
    } else if (option == Thumbnail) {
        m_width->setText(QStringLiteral("1000"));
        m_height->setText(QStringLiteral("1000"));
    }
    for (QWidget *w : {static_cast<QWidget *>(m_width), static_cast<QWidget *>(m_height),
                       static_cast<QWidget *>(m_widthLabel), static_cast<QWidget *>(m_heightLabel)})
        w->setVisible(option == Other);
}

void UpdateLabels::preview()
{
    LabelsRecord l = label();
    showPreview(this, l);
    // The preview may move the picture to the layout's place; saving keeps that.
    m_x->setValue(l.ImagePositionX);
    m_y->setValue(l.ImagePositionY);
}

void UpdateLabels::pressOk()
{
    const LabelsRecord l = label();
    for (int f = 0; f < LabelsRecord::fieldCount; ++f)
        m_session->setValue(f, l.value(f));
    const FormSession::Completion c = m_session->complete();
    if (c.closed)
        done(QDialog::Accepted);
}

void UpdateLabels::pressCancel()
{
    m_session->cancel();
    done(QDialog::Rejected);
}

void UpdateLabels::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (result != QDialog::Accepted)
            m_session->cancel();
        m_session->close();
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, Placement);
    }
    QDialog::done(result);
}

} // namespace melodex
