// "Format Listbox...": editing the displayed columns and the list's look, shown live.
#include "ui/listformat/listformatdialog.h"

#include "app/globals.h"
#include "ui/layout/dialogunits.h"
#include "ui/layout/windowplacement.h"
#include "ui/listformat/listcustomizer.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>

namespace melodex {

namespace {

const QString &placementSection()
{
    static const QString section = QStringLiteral("ListFormatBrowseBox");
    return section;
}

// Justification letters in the order of the radio buttons.
constexpr char16_t Justifications[] = {u'D', u'L', u'C', u'R'};

QButtonGroup *justificationGroup(QWidget *parent, QGroupBox *box)
{
    auto *group = new QButtonGroup(parent);
    auto *row = new QHBoxLayout(box);
    const char *captions[] = {"Dec", "Left", "Center", "Right"};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QRadioButton(QLatin1String(captions[i]), box);
        group->addButton(b, i);
        row->addWidget(b);
    }
    return group;
}

QSpinBox *spin(QWidget *parent, int max, const char *tip)
{
    auto *box = new QSpinBox(parent);
    box->setRange(0, max);
    box->setToolTip(QLatin1String(tip));
    return box;
}

// A list that reports a right click on one of its rows.
class RightClickList : public QListWidget
{
public:
    using QListWidget::QListWidget;
    std::function<void(int)> rightClicked;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        const int row = indexAt(event->pos()).row();
        if (row >= 0 && rightClicked) {
            setCurrentRow(row);
            rightClicked(row);
        }
    }
};

} // namespace

ListFormatDialog::ListFormatDialog(ListCustomizer &customizer, QWidget *parent)
    : QDialog(parent), m_customizer(customizer)
{
    setWindowTitle(QStringLiteral("Format Listbox..."));
    setWindowModality(Qt::WindowModal);
    build();
    fillLists(0);
}

void ListFormatDialog::build()
{
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    layout->addLayout(top, 1);

    auto *displayed = new RightClickList(this);
    displayed->setToolTip(QStringLiteral("Right Click to erase field"));
    displayed->rightClicked = [this](int) { hideColumn(); };
    m_displayed = displayed;
    auto *available = new RightClickList(this);
    available->setToolTip(QStringLiteral("Right Click to display field"));
    available->rightClicked = [this](int) { addColumn(); };
    m_available = available;
    const int iconSide = fontMetrics().height();
    m_available->setIconSize(QSize(iconSide, iconSide));

    auto *arrows = new QVBoxLayout;
    auto arrow = [this, arrows](QStyle::StandardPixmap icon, const char *tip, auto slot) {
        auto *b = new QPushButton(style()->standardIcon(icon), QString(), this);
        b->setToolTip(QLatin1String(tip));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        arrows->addWidget(b);
        return b;
    };
    arrows->addStretch(1);
    arrow(QStyle::SP_ArrowUp, "Move column earlier (Alt+Up)", &ListFormatDialog::moveUp);
    arrow(QStyle::SP_ArrowDown, "Move column later (Alt+Down)", &ListFormatDialog::moveDown);
    arrows->addSpacing(12);
    arrow(QStyle::SP_ArrowLeft, "Add Column to display list", &ListFormatDialog::addColumn);
    arrow(QStyle::SP_ArrowRight, "Hide column from display list", &ListFormatDialog::hideColumn);
    arrows->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Displayed columns:"), this));
    left->addWidget(m_displayed, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Available columns:"), this));
    right->addWidget(m_available, 1);
    top->addLayout(left, 1);
    top->addLayout(arrows);
    top->addLayout(right, 1);

    // The selected column.
    auto *column = new QGroupBox(QStringLiteral("Column"), this);
    auto *columnForm = new QGridLayout(column);
    m_header = new QLineEdit(column);
    m_header->setMaxLength(25);
    m_header->setToolTip(QStringLiteral("Change Column Header Text"));
    m_headerOffset = spin(column, 999, "Change Header Offset");
    m_width = spin(column, 9999, "Change Column Width");
    m_fieldOffset = spin(column, 999, "Change Data Field Offset");
    auto label = [column](const char *text, QWidget *buddy) {
        auto *l = new QLabel(QLatin1String(text), column);
        l->setBuddy(buddy);
        l->setToolTip(buddy->toolTip());
        return l;
    };
    columnForm->addWidget(label("&Header:", m_header), 0, 0);
    columnForm->addWidget(m_header, 0, 1);
    columnForm->addWidget(label("Off&set:", m_headerOffset), 0, 2);
    columnForm->addWidget(m_headerOffset, 0, 3);
    columnForm->addWidget(label("&Width:", m_width), 1, 0);
    columnForm->addWidget(m_width, 1, 1);
    columnForm->addWidget(label("Offse&t:", m_fieldOffset), 1, 2);
    columnForm->addWidget(m_fieldOffset, 1, 3);
    auto *headerBox = new QGroupBox(QStringLiteral("Header &Justification"), column);
    m_headerJustification = justificationGroup(this, headerBox);
    auto *fieldBox = new QGroupBox(QStringLiteral("&Field Justification"), column);
    m_fieldJustification = justificationGroup(this, fieldBox);
    columnForm->addWidget(headerBox, 2, 0, 1, 4);
    columnForm->addWidget(fieldBox, 3, 0, 1, 4);
    auto *switches = new QHBoxLayout;
    const char *captions[] = {"F&ixed", "&Uline", "&Border", "&Resize"};
    const char *tips[] = {"Fix all columns to the left when horizontal Scrolling",
                          "Underline the current column", "Right hand border line",
                          "Allow Column Resize with Mouse"};
    for (int i = 0; i < 4; ++i) {
        m_switches[i] = new QCheckBox(QLatin1String(captions[i]), column);
        m_switches[i]->setToolTip(QLatin1String(tips[i]));
        switches->addWidget(m_switches[i]);
        connect(m_switches[i], &QCheckBox::toggled, this, &ListFormatDialog::columnEdited);
    }
    columnForm->addLayout(switches, 4, 0, 1, 4);
    layout->addWidget(column);
    connect(m_header, &QLineEdit::textEdited, this, &ListFormatDialog::columnEdited);
    for (QSpinBox *b : {m_headerOffset, m_width, m_fieldOffset})
        connect(b, &QSpinBox::valueChanged, this, &ListFormatDialog::columnEdited);
    for (QButtonGroup *g : {m_headerJustification, m_fieldJustification})
        connect(g, &QButtonGroup::idClicked, this, &ListFormatDialog::columnEdited);

    // The list as a whole.
    auto *list = new QGroupBox(QStringLiteral("List"), this);
    auto *listRow = new QHBoxLayout(list);
    m_position = new QGroupBox(list);
    m_position->setFlat(true);
    auto *positionForm = new QHBoxLayout(m_position);
    positionForm->setContentsMargins(0, 0, 0, 0);
    m_x = spin(m_position, 9999, "");
    m_y = spin(m_position, 9999, "");
    m_listWidth = spin(m_position, 9999, "");
    m_listHeight = spin(m_position, 9999, "");
    const char *positionCaptions[] = {"&X Pos:", "&Y Pos:", "Wid&th:", "H&eight:"};
    QSpinBox *positionBoxes[] = {m_x, m_y, m_listWidth, m_listHeight};
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(QLatin1String(positionCaptions[i]), m_position);
        l->setBuddy(positionBoxes[i]);
        positionForm->addWidget(l);
        positionForm->addWidget(positionBoxes[i]);
        connect(positionBoxes[i], &QSpinBox::valueChanged, this,
                &ListFormatDialog::propertiesEdited);
    }
    m_position->setVisible(m_customizer.layout().positionCustomizable());
    listRow->addWidget(m_position);
    m_lineHeight = spin(list, 200, "Adjust Line Height");
    auto *lineLabel = new QLabel(QStringLiteral("&LineHeight:"), list);
    lineLabel->setBuddy(m_lineHeight);
    lineLabel->setToolTip(m_lineHeight->toolTip());
    listRow->addWidget(lineLabel);
    listRow->addWidget(m_lineHeight);
    auto *font = new QPushButton(QStringLiteral("F&ont"), list);
    font->setToolTip(QStringLiteral("Assign New Font to Listbox"));
    font->setAutoDefault(false);
    listRow->addWidget(font);
    auto *colour = new QPushButton(QStringLiteral("Fo&nt Colour..."), list);
    colour->setToolTip(QStringLiteral("Assign a New Colour to the Listbox's Text"));
    colour->setAutoDefault(false);
    listRow->addWidget(colour);
    m_vertical = new QCheckBox(QStringLiteral("&Vertical Scroll"), list);
    m_vertical->setToolTip(QStringLiteral("Display Vertical Scroll bar"));
    m_horizontal = new QCheckBox(QStringLiteral("Hori&zontal Scroll"), list);
    m_horizontal->setToolTip(QStringLiteral("Display Horizontal Scroll bar"));
    listRow->addWidget(m_vertical);
    listRow->addWidget(m_horizontal);
    listRow->addStretch(1);
    layout->addWidget(list);
    connect(m_lineHeight, &QSpinBox::valueChanged, this, &ListFormatDialog::propertiesEdited);
    connect(m_vertical, &QCheckBox::toggled, this, &ListFormatDialog::propertiesEdited);
    connect(m_horizontal, &QCheckBox::toggled, this, &ListFormatDialog::propertiesEdited);
    connect(font, &QPushButton::clicked, this, &ListFormatDialog::chooseFont);
    connect(colour, &QPushButton::clicked, this, &ListFormatDialog::chooseColour);

    auto *buttons = new QHBoxLayout;
    auto *reset = new QPushButton(QStringLiteral("&Default"), this);
    reset->setToolTip(QStringLiteral("Reset listbox back to default"));
    reset->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setDefault(true);
    buttons->addWidget(reset);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(reset, &QPushButton::clicked, this, &ListFormatDialog::resetToDesign);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto key = [this](QKeyCombination k, std::function<void()> f) {
        auto *s = new QShortcut(QKeySequence(k), this);
        connect(s, &QShortcut::activated, this, f);
    };
    key(Qt::ALT | Qt::Key_Up, [this] { moveUp(); });
    key(Qt::ALT | Qt::Key_Down, [this] { moveDown(); });
    key(Qt::ALT | Qt::Key_Right, [this] { addColumn(); });
    key(Qt::ALT | Qt::Key_Left, [this] { hideColumn(); });
    key(Qt::ALT | Qt::Key_1, [this] { m_available->setFocus(); });
    key(Qt::ALT | Qt::Key_2, [this] { m_displayed->setFocus(); });
    key(Qt::ALT | Qt::Key_F12, [this] { resetToDesign(); });

    connect(m_displayed, &QListWidget::currentRowChanged, this, &ListFormatDialog::loadColumn);
    setMinimumSize(dialogUnits(this, QSize(136, 196)).expandedTo(minimumSizeHint()));
}

int ListFormatDialog::selected() const
{
    return m_displayed->currentRow();
}

void ListFormatDialog::fillLists(int select)
{
    m_loading = true;
    const ListCustomization &layout = m_customizer.layout();
    m_displayed->clear();
    for (const ListColumn &c : layout.displayed())
        m_displayed->addItem(layout.entry(c.number).useName);
    const int availableRow = std::max(m_available->currentRow(), 0);
    m_available->clear();
    const QIcon check = style()->standardIcon(QStyle::SP_DialogApplyButton);
    for (int n = 1; n <= int(layout.catalogue().size()); ++n) {
        auto *item = new QListWidgetItem(layout.entry(n).useName, m_available);
        if (layout.isDisplayed(n))
            item->setIcon(check);
    }
    m_available->setCurrentRow(std::min(availableRow, m_available->count() - 1));
    const ListProperties &p = layout.properties();
    m_x->setValue(p.x);
    m_y->setValue(p.y);
    m_listWidth->setValue(p.width);
    m_listHeight->setValue(p.height);
    m_lineHeight->setValue(p.lineHeight);
    m_vertical->setChecked(p.verticalScroll);
    m_horizontal->setChecked(p.horizontalScroll);
    m_loading = false;
    m_displayed->setCurrentRow(std::min(select, m_displayed->count() - 1));
    loadColumn();
}

void ListFormatDialog::reload()
{
    fillLists(std::max(selected(), 0));
}

void ListFormatDialog::loadColumn()
{
    if (m_loading)
        return;
    const int index = selected();
    const bool any = index >= 0 && index < int(m_customizer.layout().displayed().size());
    m_loading = true;
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_header, m_headerOffset, m_width, m_fieldOffset})
        w->setEnabled(any);
    for (QCheckBox *b : m_switches)
        b->setEnabled(any);
    if (any) {
        const ListColumn &c = m_customizer.layout().displayed()[size_t(index)];
        m_header->setText(c.header);
        m_headerOffset->setValue(c.headerIndent);
        m_width->setValue(c.width);
        m_fieldOffset->setValue(c.indent);
        auto check = [](QButtonGroup *g, QChar letter) {
            for (int i = 0; i < 4; ++i)
                if (Justifications[i] == letter.unicode())
                    g->button(i)->setChecked(true);
        };
        check(m_headerJustification, c.headerJustification);
        check(m_fieldJustification, c.justification);
        m_switches[0]->setChecked(c.fixed);
        m_switches[1]->setChecked(c.underline);
        m_switches[2]->setChecked(c.border);
        m_switches[3]->setChecked(c.resizable);
    }
    m_loading = false;
}

void ListFormatDialog::columnEdited()
{
    const int index = selected();
    if (m_loading || index < 0 || index >= int(m_customizer.layout().displayed().size()))
        return;
    ListColumn &c = m_customizer.layout().column(index);
    c.header = m_header->text();
    c.headerIndent = m_headerOffset->value();
    c.width = m_width->value();
    c.indent = m_fieldOffset->value();
    if (m_headerJustification->checkedId() >= 0)
        c.headerJustification = QChar(Justifications[m_headerJustification->checkedId()]);
    if (m_fieldJustification->checkedId() >= 0)
        c.justification = QChar(Justifications[m_fieldJustification->checkedId()]);
    c.fixed = m_switches[0]->isChecked();
    c.underline = m_switches[1]->isChecked();
    c.border = m_switches[2]->isChecked();
    c.resizable = m_switches[3]->isChecked();
    m_customizer.apply();
}

void ListFormatDialog::propertiesEdited()
{
    if (m_loading)
        return;
    ListProperties &p = m_customizer.layout().properties();
    p.x = m_x->value();
    p.y = m_y->value();
    p.width = m_listWidth->value();
    p.height = m_listHeight->value();
    p.lineHeight = m_lineHeight->value();
    p.verticalScroll = m_vertical->isChecked();
    p.horizontalScroll = m_horizontal->isChecked();
    m_customizer.apply();
}

void ListFormatDialog::chooseColour()
{
    if (m_colourDialog) {
        m_colourDialog->raise();
        return;
    }
    const int rgb = m_customizer.layout().properties().fontColor;
    m_colourDialog = new QColorDialog(QColor::fromRgb(QRgb(rgb) | 0xFF000000u), this);
    m_colourDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_colourDialog->setWindowTitle(QStringLiteral("Font Colour"));
    connect(m_colourDialog, &QColorDialog::colorSelected, this, [this](const QColor &colour) {
        m_customizer.layout().properties().fontColor = int(colour.rgb() & 0xFFFFFF);
        m_customizer.apply();
    });
    m_colourDialog->open();
}

void ListFormatDialog::chooseFont()
{
    const ListProperties &p = m_customizer.layout().properties();
    QFont current(p.fontName);
    if (p.fontSize > 0)
        current.setPointSize(p.fontSize);
    auto *dialog = new QFontDialog(current, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFontDialog::fontSelected, this, [this](const QFont &font) {
        ListProperties &props = m_customizer.layout().properties();
        props.fontName = font.family().left(20);
        props.fontSize = font.pointSize();
        props.fontStyle = font.weight() | (font.italic() ? 0x10000 : 0);
        m_customizer.apply();
    });
    dialog->open();
}

void ListFormatDialog::moveUp()
{
    const int index = selected();
    if (!m_customizer.layout().moveEarlier(index)) {
        QApplication::beep();
        return;
    }
    m_customizer.apply();
    fillLists(index - 1);
}

void ListFormatDialog::moveDown()
{
    const int index = selected();
    if (!m_customizer.layout().moveLater(index)) {
        QApplication::beep();
        return;
    }
    m_customizer.apply();
    fillLists(index + 1);
}

void ListFormatDialog::addColumn()
{
    const auto [index, added] = m_customizer.layout().addColumn(m_available->currentRow() + 1);
    if (!added)
        QApplication::beep();
    else
        m_customizer.apply();
    fillLists(index >= 0 ? index : std::max(selected(), 0));
}

void ListFormatDialog::hideColumn()
{
    const int index = selected();
    if (index < 0)
        return;
    m_customizer.layout().hideColumn(index);
    m_customizer.apply();
    fillLists(std::max(0, std::min(index, int(m_customizer.layout().displayed().size()) - 1)));
}

void ListFormatDialog::resetToDesign()
{
    m_customizer.resetToDesign();
}

void ListFormatDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, placementSection());
}

void ListFormatDialog::done(int result)
{
    if (m_shown)
        SaveWindowPlacement(this, WindowStateIni, placementSection());
    QDialog::done(result);
}

} // namespace melodex
