// Applying the user's column layout to a browse list, and keeping it.
#include "ui/listformat/listcustomizer.h"

#include "app/globals.h"
#include "ui/browse/browselist.h"
#include "ui/browse/browsetable.h"
#include "ui/listformat/listformatdialog.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QShortcut>

namespace melodex {

namespace {
// Font styles as they are kept: the weight, plus this flag for italic.
constexpr int ItalicFlag = 0x10000;
} // namespace

ListCustomizer::ListCustomizer(BrowseList &list, std::vector<ListCatalogueEntry> catalogue,
                               const QString &listName, int version)
    : QObject(&list), m_list(list),
      m_layout(std::move(catalogue),
               [&list] {
                   ListProperties p;
                   const QFont font = list.table()->font();
                   p.fontName = font.family().left(20);
                   p.fontSize = font.pointSize();
                   p.fontStyle = font.weight() | (font.italic() ? ItalicFlag : 0);
                   p.fontColor =
                       int(list.table()->palette().color(QPalette::Text).rgb() & 0xFFFFFF);
                   p.lineHeight = list.table()->verticalHeader()->defaultSectionSize();
                   p.verticalScroll = true;
                   p.horizontalScroll =
                       list.table()->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
                   return p;
               }()),
      m_listName(listName), m_version(version)
{
    // A column as wide as its catalogue entry shows its header and values whole; a width the
    // user chose is kept exactly, narrower than the header if so chosen.
    m_list.setExactWidths([this](const ListColumn &c) {
        return c.number >= 1 && c.number <= int(m_layout.catalogue().size()) &&
               c.width != m_layout.entry(c.number).width;
    });
    // The format the list opened with (its own saved copy, or the design), then the user's
    // layout when it was saved for this version of the window.
    m_layout.setFormat(m_list.listFormat());
    m_layout.load(WindowStateIni, m_list.settings().procedure, m_listName, m_version);
    apply();

    auto *reset = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F12), m_list.table());
    reset->setContext(Qt::WidgetShortcut);
    connect(reset, &QShortcut::activated, this, &ListCustomizer::resetToDesign);
    connect(m_list.table()->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int index, int, int size) { columnResized(index, size); });
    connect(&m_list, &QDialog::finished, this, &ListCustomizer::save);
}

int ListCustomizer::unit() const
{
    return std::max(m_list.table()->fontMetrics().averageCharWidth(), 4);
}

void ListCustomizer::apply()
{
    m_applying = true;
    BrowseTable *table = m_list.table();
    const ListProperties &p = m_layout.properties();
    QFont font = table->font();
    if (!p.fontName.isEmpty())
        font.setFamily(p.fontName);
    if (p.fontSize > 0)
        font.setPointSize(p.fontSize);
    if ((p.fontStyle & ~ItalicFlag) > 0)
        font.setWeight(QFont::Weight(std::clamp(p.fontStyle & ~ItalicFlag, 100, 900)));
    font.setItalic(p.fontStyle & ItalicFlag);
    table->setFont(font);
    QPalette palette = table->palette();
    palette.setColor(QPalette::Text, QColor::fromRgb(QRgb(p.fontColor) | 0xFF000000u));
    table->setPalette(palette);
    if (p.lineHeight > 0)
        table->verticalHeader()->setDefaultSectionSize(p.lineHeight);
    table->setHorizontalScrollBarPolicy(p.horizontalScroll ? Qt::ScrollBarAsNeeded
                                                           : Qt::ScrollBarAlwaysOff);
    // The list's own scroll bar is the browse's thumb; without it the list is paged by keys.
    m_list.thumbBar()->setMaximumWidth(p.verticalScroll ? QWIDGETSIZE_MAX : 0);
    if (m_layout.positionCustomizable() && p.width > 0 && p.height > 0)
        table->setGeometry(p.x, p.y, p.width, p.height);
    m_list.setListFormat(m_layout.format());
    // Switches the list cannot show through its format: columns the user may not resize.
    for (int i = 0; i < int(m_layout.displayed().size()); ++i)
        table->horizontalHeader()->setSectionResizeMode(i, m_layout.displayed()[size_t(i)].resizable
                                                               ? QHeaderView::Interactive
                                                               : QHeaderView::Fixed);
    m_applying = false;
}

void ListCustomizer::columnResized(int index, int newSize)
{
    // Widths the list gives its columns to fill its own width are not the user's.
    if (m_applying || m_list.table()->fitting() || index < 0 ||
        index >= int(m_layout.displayed().size()))
        return;
    m_layout.column(index).width = std::max(1, (newSize * 4 + unit() / 2) / unit());
}

void ListCustomizer::resetToDesign()
{
    m_layout.resetToDesign();
    apply();
    if (m_dialog)
        m_dialog->reload();
}

ListFormatDialog *ListCustomizer::openDialog()
{
    if (m_dialog) {
        m_dialog->raise();
        return m_dialog;
    }
    m_dialog = new ListFormatDialog(*this, &m_list);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->open();
    return m_dialog;
}

ListFormatDialog *ListCustomizer::dialog() const
{
    return m_dialog;
}

void ListCustomizer::save() const
{
    m_layout.save(WindowStateIni, m_list.settings().procedure, m_listName, m_version);
}

} // namespace melodex
