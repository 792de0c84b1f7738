// The progress window of a batch run over a whole file: percentage, second text and Cancel.
#include "ui/interchange/batchprogresswindow.h"

#include "platform/picture/format.h"
#include "services/messageservice.h"
#include "ui/procedures.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace melodex {

void BatchProgressWindow::showSummary(const QString &name, const BatchRun &run,
                                      BatchRun::State state, const QString &details)
{
    if (state == BatchRun::State::Failed || state == BatchRun::State::Running)
        return;
    const bool cancelled = state == BatchRun::State::Cancelled;
    QString text = run.summary().join(u'\n');
    if (cancelled)
        text = QStringLiteral("Cancelled by the user; what was done before stays.\n\n") + text;
    if (!details.isEmpty())
        text += QStringLiteral("\n\n") + details;
    MessageService::instance().show(MessageRequest{
        name + (cancelled ? QStringLiteral(" Cancelled") : QStringLiteral(" Completed")), text,
        MessageRequest::Information, MessageRequest::Ok, MessageRequest::Ok});
}

void BatchProgressWindow::closeWindow(QWidget *window)
{
    closeInFrame(window);
}

BatchProgressWindow::BatchProgressWindow(std::unique_ptr<BatchRun> run, QWidget *parent)
    : QDialog(parent), m_run(std::move(run)), m_ticker(std::make_unique<BatchTicker>(*m_run))
{
    setWindowTitle(m_run->caption());
    m_heading = new QLabel(m_run->caption(), this);
    m_heading->setAlignment(Qt::AlignCenter);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->hide();
    m_percent = new QLabel(this);
    m_percent->setObjectName(QStringLiteral("percent"));
    m_percent->setAlignment(Qt::AlignCenter);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    auto *subtitle = new QLabel(m_run->subtitle(), this);
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setVisible(!m_run->subtitle().isEmpty());
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, m_ticker.get(), &BatchTicker::cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_percent);
    layout->addWidget(m_bar);
    layout->addWidget(subtitle);
    layout->addWidget(m_cancel, 0, Qt::AlignCenter);
    setMinimumWidth(320);
    showPercent(0);

    connect(m_ticker.get(), &BatchTicker::percentChanged, this, &BatchProgressWindow::showPercent);
    connect(m_ticker.get(), &BatchTicker::finished, this, &BatchProgressWindow::end);
}

BatchProgressWindow::~BatchProgressWindow()
{
    // The ticker refers to the run, so it goes first.
    m_ticker.reset();
}

void BatchProgressWindow::setCaption(const QString &caption)
{
    setWindowTitle(caption);
    m_heading->setVisible(caption != m_run->caption());
}

bool BatchProgressWindow::start()
{
    if (!m_ticker->start())
        return false;
    show();
    return true;
}

QString BatchProgressWindow::percentText() const
{
    return m_percent->text();
}

void BatchProgressWindow::showPercent(int percent)
{
    m_percent->setText(picture::format(picture::Value(qint64(percent)), u"@N3") +
                       QStringLiteral("% Completed"));
    m_bar->setValue(percent);
}

void BatchProgressWindow::end(BatchRun::State state)
{
    if (m_ended)
        return;
    m_ended = true;
    if (state == BatchRun::State::Completed) {
        m_percent->setText(QStringLiteral("Process Completed"));
        m_bar->setValue(100);
    }
    m_cancel->setEnabled(false);
    hide();
    Q_EMIT finished(state);
}

void BatchProgressWindow::reject()
{
    // Escape and the close button cancel the run like the Cancel button.
    m_ticker->cancel();
}

void BatchProgressWindow::closeEvent(QCloseEvent *event)
{
    if (!m_ended) {
        m_ticker->cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace melodex
