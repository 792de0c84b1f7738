// What a music folder scan asks the user about: fields kept as the user changed them, and files
// that are gone, whose songs the user keeps or deletes.
#pragma once

#include "musicfiles/musicscan.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTreeWidget;

namespace melodex {

class ScanResultDialog : public QDialog
{
    Q_OBJECT
public:
    ScanResultDialog(std::vector<musicfiles::KeptEdit> edits,
                     std::vector<musicfiles::GoneFile> gone, QWidget *parent = nullptr);

    /// Whether the scan left anything to show.
    static bool hasAnything(const musicfiles::MusicScan &scan);

    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *keepButton() const { return m_keep; }
    QTreeWidget *editList() const { return m_edits; }
    QTreeWidget *goneList() const { return m_goneList; }

private:
    void deleteGone();

    std::vector<musicfiles::GoneFile> m_gone;
    QTreeWidget *m_edits;
    QTreeWidget *m_goneList;
    QPushButton *m_keep;
    QPushButton *m_delete;
};

} // namespace melodex
