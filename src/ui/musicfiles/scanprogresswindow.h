// The progress window of a music folder scan: the file being read, the count, Cancel.
#pragma once

#include "interchange/batchticker.h"
#include "musicfiles/musicscan.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace melodex {

/// Steps a MusicScan from the event loop and shows the file it reads, how many of how many
/// files are read, and Cancel, which writes what was read and ends the scan. At the end it
/// hides and emits finished(); its owner deletes it.
class ScanProgressWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ScanProgressWindow(std::unique_ptr<musicfiles::MusicScan> scan,
                                QWidget *parent = nullptr);
    ~ScanProgressWindow() override;

    /// Starts the scan and shows the window; false (nothing shown) when it cannot start.
    bool start();
    musicfiles::MusicScan &scan() { return *m_scan; }
    BatchTicker &ticker() { return *m_ticker; }
    QString fileText() const;
    QString countText() const;

Q_SIGNALS:
    void finished(melodex::BatchRun::State state);

public Q_SLOTS:
    /// Shows how far the scan is (also from a timer, since files are read many to a percent).
    void refresh();

protected:
    void reject() override;

private:
    std::unique_ptr<musicfiles::MusicScan> m_scan;
    std::unique_ptr<BatchTicker> m_ticker;
    QLabel *m_file;
    QLabel *m_count;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QTimer *m_timer;
};

} // namespace melodex
