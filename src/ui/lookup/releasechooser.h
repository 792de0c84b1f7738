// The chooser of a release among several the service gave, and the search dialog of
// "Look Up...".
#pragma once

#include "lookup/release.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLineEdit;
class QTableWidget;

namespace melodex::lookup {

/// Lists releases (title, artist, date, country, label, barcode, format, and which disc of a set
/// holds the disc read); the user picks one or none. Shown window-modal, never blocking: the
/// answer comes through `chosen` (-1: none or cancelled).
class ReleaseChooser : public QDialog
{
    Q_OBJECT
public:
    ReleaseChooser(const std::vector<Release> &releases, const QString &discId, QWidget *parent);

    /// Opens a chooser; `chosen` receives the index of the release or -1.
    static ReleaseChooser *choose(QWidget *parent, const std::vector<Release> &releases,
                                  const QString &discId, std::function<void(int)> chosen);

    QTableWidget *table() const { return m_table; }
    int chosenIndex() const;

private:
    QTableWidget *m_table = nullptr;
};

/// What "Look Up..." searches for.
struct SearchTerms
{
    QString artist, album, barcode, format;
};

/// Asks for the artist, title, barcode and format to search, prefilled from the form.
class SearchDialog : public QDialog
{
    Q_OBJECT
public:
    SearchDialog(const SearchTerms &terms, QWidget *parent);
    SearchTerms terms() const;
    /// Opens the dialog; `search` receives the terms when the user presses Search.
    static SearchDialog *ask(QWidget *parent, const SearchTerms &terms,
                             std::function<void(const SearchTerms &)> search);

private:
    QLineEdit *m_artist, *m_album, *m_barcode, *m_format;
};

} // namespace melodex::lookup
