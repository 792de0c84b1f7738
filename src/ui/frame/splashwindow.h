// The window shown while the program starts.
#pragma once

#include <QWidget>

class QTimer;

namespace melodex {

/// Shows the program's name, version and icons for a moment after the main frame opens. It
/// closes by itself after closeDelay() or at once on a mouse click, and on closing asks the main
/// frame to open the lists chosen for start-up in the preferences: songs, albums, playlists and
/// labels, in that order. Its placement is kept in section "Splash".
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *parent = nullptr);

    /// How long the splash stays, in milliseconds (2000 unless changed).
    static int closeDelay();
    /// Changes how long every later splash stays (tests shorten the wait).
    static void setCloseDelay(int milliseconds);

    /// Shows the window and starts its countdown.
    void start();

Q_SIGNALS:
    /// Emitted once, when the splash has closed and asked for the start-up lists.
    void finished();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void openStartupLists();

    QTimer *m_timer;
    bool m_finished = false;
};

} // namespace melodex
