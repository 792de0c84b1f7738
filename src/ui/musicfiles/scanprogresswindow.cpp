// The progress window of a music folder scan.
#include "ui/musicfiles/scanprogresswindow.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace melodex {

ScanProgressWindow::ScanProgressWindow(std::unique_ptr<musicfiles::MusicScan> scan, QWidget *parent)
    : QDialog(parent), m_scan(std::move(scan)), m_ticker(std::make_unique<BatchTicker>(*m_scan))
{
    setWindowTitle(m_scan->caption());
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setMinimumWidth(420);
    m_file->setTextFormat(Qt::PlainText);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, m_ticker.get(), &BatchTicker::cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_count);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignCenter);

    m_timer = new QTimer(this);
    m_timer->setInterval(150);
    connect(m_timer, &QTimer::timeout, this, &ScanProgressWindow::refresh);
    connect(m_ticker.get(), &BatchTicker::percentChanged, this, &ScanProgressWindow::refresh);
    connect(m_ticker.get(), &BatchTicker::finished, this, [this](BatchRun::State state) {
        m_timer->stop();
        m_cancel->setEnabled(false);
        refresh();
        hide();
        Q_EMIT finished(state);
    });
    refresh();
}

ScanProgressWindow::~ScanProgressWindow()
{
    m_ticker.reset();
}

bool ScanProgressWindow::start()
{
    if (!m_ticker->start())
        return false;
    m_timer->start();
    show();
    return true;
}

QString ScanProgressWindow::fileText() const
{
    return m_file->text();
}

QString ScanProgressWindow::countText() const
{
    return m_count->text();
}

void ScanProgressWindow::refresh()
{
    const QString current = m_scan->currentFile();
    m_file->setText(QFontMetrics(m_file->font())
                        .elidedText(current, Qt::ElideMiddle, std::max(200, m_file->width())));
    m_file->setToolTip(current);
    if (m_scan->filesToRead() == 0 && m_scan->filesRead() == 0 &&
        m_scan->state() == BatchRun::State::Running)
        m_count->setText(QStringLiteral("Looking for music files..."));
    else
        m_count->setText(QStringLiteral("%1 of %2 files read")
                             .arg(m_scan->filesRead())
                             .arg(m_scan->filesToRead()));
    m_bar->setValue(m_scan->percent());
}

void ScanProgressWindow::reject()
{
    // Escape and the close button cancel, as the Cancel button does.
    m_ticker->cancel();
}

} // namespace melodex
