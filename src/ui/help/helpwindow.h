// The window that shows the program's own help pages.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QUrl>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

namespace melodex {

/// The help viewer: a page on the right, and on the left the contents and a search over every
/// page. The pages are HTML files built into the program (resource folder ":/help").
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum Topic {
        Contents, ///< the contents page, with the contents list in front
        Search,   ///< the search box, ready for a word
        HowToUse, ///< the page about using help
    };

    /// One page that a search found.
    struct Hit
    {
        QUrl page;
        QString title;
        int score = 0; ///< how often the words occur, titles counting extra
    };

    explicit HelpWindow(QWidget *parent = nullptr);

    /// The program's help window, created on first use (as a window of its own over `parent`),
    /// raised and showing `topic`.
    static HelpWindow *showHelp(Topic topic, QWidget *parent = nullptr);

    void showTopic(Topic topic);
    /// Shows a page of the help ("qrc:/help/menus.html#file"); other addresses go to the web
    /// browser.
    void openPage(const QUrl &url);
    QUrl currentPage() const;

    /// The pages holding every word of `text` (letter case ignored), best first.
    QList<Hit> search(const QString &text) const;

    /// The address of a help page by file name.
    static QUrl pageUrl(const QString &fileName);

private:
    struct Page
    {
        QUrl url;
        QString title;
        QString text; ///< plain text, for searching
    };
    void loadPages();
    void buildContents();
    void runSearch();

    QTextBrowser *m_browser;
    QTabWidget *m_tabs;
    QTreeWidget *m_contents;
    QLineEdit *m_searchBox;
    QListWidget *m_results;
    QList<Page> m_pages;
};

} // namespace melodex
