// The small window that shows a report run's progress and lets the user cancel it.
#include "ui/reports/reportprogresswindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace melodex {

ReportProgressWindow::ReportProgressWindow(reports::SteppedRun &run, QWidget *parent)
    : QDialog(parent), m_run(run), m_percent(new QLabel(this)), m_second(new QLabel(this)),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Progress..."));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_percent->setAlignment(Qt::AlignCenter);
    m_second->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    layout->addWidget(m_second);
    layout->addWidget(m_cancel, 0, Qt::AlignCenter);
    setMinimumWidth(300);
    connect(m_cancel, &QPushButton::clicked, this, &ReportProgressWindow::askCancel);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ReportProgressWindow::tick);
    m_run.onPercentChanged([this](int percent) { showPercent(percent); });
}

void ReportProgressWindow::begin()
{
    setWindowTitle(m_run.caption());
    m_bar->show();
    m_second->clear();
    m_percent->setText(QStringLiteral("0% Completed"));
    m_bar->setValue(0);
    show();
    m_timer.start();
}

QString ReportProgressWindow::percentText() const
{
    return m_percent->text();
}

int ReportProgressWindow::percentShown() const
{
    return m_bar->value();
}

void ReportProgressWindow::showPercent(int percent)
{
    ++m_redraws;
    m_bar->setValue(percent);
    m_percent->setText(QString::number(percent) + QStringLiteral("% Completed"));
}

void ReportProgressWindow::tick()
{
    if (m_ended || m_asking)
        return;
    if (m_run.step() != reports::SteppedRun::State::Running)
        end();
}

void ReportProgressWindow::askCancel()
{
    if (m_ended || m_asking)
        return;
    // The questions' boxes spin event loops of their own; no cycle runs meanwhile.
    const QScopedValueRollback<bool> asking(m_asking, true);
    m_timer.stop();
    m_run.requestCancel();
    if (m_run.state() != reports::SteppedRun::State::Running) {
        m_asking = false;
        end();
    } else {
        m_timer.start();
    }
}

void ReportProgressWindow::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_timer.stop();
    hide();
    Q_EMIT runEnded();
}

void ReportProgressWindow::reject()
{
    askCancel();
}

void ReportProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    event->ignore();
    askCancel();
}

} // namespace melodex
