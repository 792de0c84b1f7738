// LabelPreview: a label's page on screen, with the choice to print it.
#include "ui/labels/labelpreview.h"

#include "labels/labelpainter.h"
#include "labels/labelprint.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>

namespace melodex {

LabelPreview::LabelPreview(const LabelsRecord &label, QWidget *parent)
    : QDialog(parent), m_label(label)
{
    setWindowTitle(QStringLiteral("Print Preview - ") + (label.LabelDescription.trimmed().isEmpty()
                                                             ? QStringLiteral("Label")
                                                             : label.LabelDescription.trimmed()));
    auto *root = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    auto *print = new QPushButton(QStringLiteral("&Print"), this);
    auto *zoom = m_zoomBox = new QComboBox(this);
    for (const int percent : {50, 75, 100, 150, 200})
        zoom->addItem(QStringLiteral("%1%").arg(percent), percent);
    zoom->setCurrentIndex(1);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    bar->addWidget(print);
    bar->addWidget(zoom);
    bar->addStretch(1);
    bar->addWidget(close);
    root->addLayout(bar);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_page = new QLabel;
    m_scroll->setWidget(m_page);
    root->addWidget(m_scroll, 1);
    connect(print, &QPushButton::clicked, this, &QDialog::accept);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(zoom, &QComboBox::currentIndexChanged, this,
            [this, zoom] { setZoom(zoom->currentData().toInt() / 100.0); });
    m_zoom = 0.75;
    render();
    resize(720, 760);
}

void LabelPreview::setZoom(double zoom)
{
    m_zoom = zoom;
    const int index = m_zoomBox->findData(qRound(zoom * 100));
    if (index >= 0 && index != m_zoomBox->currentIndex()) {
        const QSignalBlocker block(m_zoomBox);
        m_zoomBox->setCurrentIndex(index);
    }
    render();
}

void LabelPreview::render()
{
    // The page in points, shown at 96 pixels an inch times the zoom.
    const double scale = m_zoom * 96.0 / 72.0;
    const QSizeF sheet = LabelPrint::pageSize();
    QImage image((sheet * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        LabelPainter::paint(p, m_label);
    }
    m_page->setPixmap(QPixmap::fromImage(image));
    m_page->resize(image.size());
}

} // namespace melodex
