// The help viewer over the program's built-in HTML pages.
#include "ui/help/helpwindow.h"

#include "app/globals.h"
#include "ui/browserservice.h"
#include "ui/layout/windowplacement.h"
#include "ui/resources/resources.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextList>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace melodex {

namespace {

const QString helpSection = QStringLiteral("Help");
const QString contentsPage = QStringLiteral("index.html");
const QString howToUsePage = QStringLiteral("usinghelp.html");

QPointer<HelpWindow> g_window;

QString readPage(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace

QUrl HelpWindow::pageUrl(const QString &fileName)
{
    return QUrl(QStringLiteral("qrc:/help/") + fileName);
}

HelpWindow::HelpWindow(QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_browser(new QTextBrowser(this)),
      m_tabs(new QTabWidget(this)), m_contents(new QTreeWidget(this)),
      m_searchBox(new QLineEdit(this)), m_results(new QListWidget(this))
{
    initResources();
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("Melodex Help"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/help.png")));
    resize(880, 600);

    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::openPage);

    m_contents->setHeaderHidden(true);
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { openPage(item->data(0, Qt::UserRole).toUrl()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { openPage(item->data(0, Qt::UserRole).toUrl()); });

    auto *searchPane = new QWidget(this);
    auto *searchLayout = new QVBoxLayout(searchPane);
    auto *searchLabel = new QLabel(QStringLiteral("&Type the words to look for:"), searchPane);
    searchLabel->setBuddy(m_searchBox);
    m_searchBox->setClearButtonEnabled(true);
    m_searchBox->setObjectName(QStringLiteral("searchBox"));
    auto *searchButton = new QPushButton(QStringLiteral("&Search"), searchPane);
    searchLayout->addWidget(searchLabel);
    searchLayout->addWidget(m_searchBox);
    searchLayout->addWidget(searchButton, 0, Qt::AlignRight);
    searchLayout->addWidget(m_results, 1);
    connect(m_searchBox, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(m_searchBox, &QLineEdit::textChanged, this, &HelpWindow::runSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
    auto openResult = [this](QListWidgetItem *item) {
        openPage(item->data(Qt::UserRole).toUrl());
        // Show the first place the words occur.
        const QStringList words = m_searchBox->text().split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty())
            m_browser->find(words.first());
    };
    connect(m_results, &QListWidget::itemActivated, this, openResult);
    connect(m_results, &QListWidget::itemClicked, this, openResult);

    m_tabs->addTab(m_contents, QStringLiteral("&Contents"));
    m_tabs->addTab(searchPane, QStringLiteral("S&earch"));

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 640});
    setCentralWidget(splitter);

    QToolBar *bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                   QStringLiteral("&Back"), m_browser, &QTextBrowser::backward);
    QAction *forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"),
                       m_browser, &QTextBrowser::forward);
    bar->addAction(QIcon(QStringLiteral(":/icons/help.png")), QStringLiteral("C&ontents"), this,
                   [this] { showTopic(Contents); });
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Melodex Help")
                                       : QStringLiteral("Melodex Help - ") + title);
    });

    loadPages();
    buildContents();
    if (parent && parent->isVisible())
        move(parent->geometry().center() - rect().center());
    keepWindowPlacement(this, WindowStateIni, helpSection);
}

HelpWindow *HelpWindow::showHelp(Topic topic, QWidget *parent)
{
    if (!g_window) {
        g_window = new HelpWindow(parent);
        g_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_window->showTopic(topic);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return g_window;
}

void HelpWindow::showTopic(Topic topic)
{
    switch (topic) {
    case Contents:
        m_tabs->setCurrentIndex(0);
        openPage(pageUrl(contentsPage));
        break;
    case Search:
        m_tabs->setCurrentIndex(1);
        if (m_browser->source().isEmpty())
            openPage(pageUrl(contentsPage));
        m_searchBox->setFocus();
        m_searchBox->selectAll();
        break;
    case HowToUse:
        openPage(pageUrl(howToUsePage));
        break;
    }
}

void HelpWindow::openPage(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty())
        return;
    const QUrl target = url.isRelative() ? m_browser->source().resolved(url) : url;
    if (target.scheme() != QLatin1String("qrc")) {
        BrowserService::instance().openUrl(target);
        return;
    }
    if (target.adjusted(QUrl::RemoveFragment) ==
            m_browser->source().adjusted(QUrl::RemoveFragment) &&
        target.hasFragment()) {
        m_browser->scrollToAnchor(target.fragment());
        return;
    }
    m_browser->setSource(target);
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

void HelpWindow::loadPages()
{
    const QDir dir(QStringLiteral(":/help"));
    const QStringList files = dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        QTextDocument doc;
        doc.setHtml(readPage(dir.filePath(file)));
        m_pages.append(
            {pageUrl(file), doc.metaInformation(QTextDocument::DocumentTitle), doc.toPlainText()});
    }
}

// The contents list is the nested list of links on the contents page, so the page and the list
// never disagree.
void HelpWindow::buildContents()
{
    QTextDocument doc;
    doc.setHtml(readPage(QStringLiteral(":/help/") + contentsPage));
    QList<QTreeWidgetItem *> parents;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextList *list = block.textList();
        if (!list)
            continue;
        QString href;
        for (auto it = block.begin(); !it.atEnd() && href.isEmpty(); ++it)
            href = it.fragment().charFormat().anchorHref();
        if (href.isEmpty())
            continue;
        const int level = std::max(list->format().indent(), 1) - 1;
        while (parents.size() > level)
            parents.removeLast();
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(m_contents)
                                       : new QTreeWidgetItem(parents.last());
        item->setText(0, block.text().trimmed());
        item->setData(0, Qt::UserRole, pageUrl(contentsPage).resolved(QUrl(href)));
        parents.append(item);
    }
    m_contents->expandAll();
}

QList<HelpWindow::Hit> HelpWindow::search(const QString &text) const
{
    const QStringList words =
        text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QList<Hit> hits;
    if (words.isEmpty())
        return hits;
    for (const Page &page : m_pages) {
        int score = 0;
        bool all = true;
        for (const QString &word : words) {
            const int inText = int(page.text.count(word, Qt::CaseInsensitive));
            if (inText == 0) {
                all = false;
                break;
            }
            score += inText + 5 * int(page.title.count(word, Qt::CaseInsensitive));
        }
        if (all)
            hits.append({page.url, page.title, score});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) {
        return a.score != b.score ? a.score > b.score : a.title < b.title;
    });
    return hits;
}

void HelpWindow::runSearch()
{
    m_results->clear();
    const QList<Hit> hits = search(m_searchBox->text());
    for (const Hit &hit : hits) {
        auto *item = new QListWidgetItem(hit.title, m_results);
        item->setData(Qt::UserRole, hit.page);
    }
    if (hits.isEmpty() && !m_searchBox->text().trimmed().isEmpty())
        new QListWidgetItem(QStringLiteral("(No page holds these words.)"), m_results);
}

} // namespace melodex
