// The start-up splash window.
#include "ui/frame/splashwindow.h"

#include "app/globals.h"
#include "ui/frame/mainmenu.h"
#include "ui/layout/windowplacement.h"
#include "ui/resources/resources.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace melodex {

namespace {
int g_closeDelay = 2000;
const QString splashSection = QStringLiteral("Splash");

QLabel *iconLabel(const QString &resource, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(QIcon(resource).pixmap(64, 64));
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_timer(new QTimer(this))
{
    initResources();
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The user may start typing in the frame at once; the splash must not take the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Melodex 98"));
    setFixedSize(440, 220);

    auto *title = new QLabel(QStringLiteral("Melodex 98"), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() * 2 + 4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(QStringLiteral("Version 2.0"), this);
    QFont versionFont = version->font();
    versionFont.setPointSize(versionFont.pointSize() + 2);
    version->setFont(versionFont);
    version->setAlignment(Qt::AlignCenter);
    for (QLabel *l : {title, version})
        l->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    auto *texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addStretch();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(28, 20, 28, 20);
    row->addWidget(iconLabel(QStringLiteral(":/icons/melodex.png"), this));
    row->addLayout(texts, 1);
    row->addWidget(iconLabel(QStringLiteral(":/icons/albums.png"), this));

    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QWidget::close);
}

int SplashWindow::closeDelay()
{
    return g_closeDelay;
}

void SplashWindow::setCloseDelay(int milliseconds)
{
    g_closeDelay = milliseconds;
}

void SplashWindow::start()
{
    // Centred over the frame unless a placement was saved.
    const QWidget *over = parentWidget();
    QRect area = over && over->isVisible() ? over->geometry() : QRect();
    if (area.isEmpty()) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    }
    if (!area.isEmpty())
        move(area.center() - rect().center());
    RestoreWindowPlacement(this, WindowStateIni, splashSection);
    show();
    raise();
    m_timer->start(g_closeDelay);
}

void SplashWindow::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

void SplashWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    m_timer->stop();
    if (!m_finished) {
        m_finished = true;
        SaveWindowPlacement(this, WindowStateIni, splashSection);
        openStartupLists();
        Q_EMIT finished();
    }
    event->accept();
}

void SplashWindow::openStartupLists()
{
    if (mainFrameThread() == 0)
        return;
    const std::pair<quint8, MainMenuItem> lists[] = {
        {GLO.SU_Songs, MainMenuItem::BrowseSongs},
        {GLO.SU_Albums, MainMenuItem::BrowseAlbums},
        {GLO.SU_Playlists, MainMenuItem::BrowsePlayLists},
        {GLO.SU_Labels, MainMenuItem::BrowseLabels},
    };
    for (const auto &[wanted, item] : lists)
        if (wanted == 1)
            postMainMenuItem(item);
}

void SplashWindow::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(rect().topLeft(), rect().bottomRight());
    g.setColorAt(0.0, QColor(0x1f, 0x3a, 0x68));
    g.setColorAt(1.0, QColor(0x4a, 0x2c, 0x6e));
    p.fillRect(rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

} // namespace melodex
