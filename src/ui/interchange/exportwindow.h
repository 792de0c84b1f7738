// The "Choose Fields for Export..." window: which song fields an export writes, and how.
#pragma once

#include "interchange/batchrun.h"
#include "interchange/exportfieldlist.h"
#include "ui/interchange/batchprogresswindow.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QListWidget;

namespace melodex {

/// Offers every exportable field on the left and the export list on the right, and runs the
/// export on OK; the window closes after the run.
class ExportWindow : public QWidget
{
    Q_OBJECT
public:
    using PictureAsker = std::function<void(QWidget *parent, const QString &picture,
                                            std::function<void(const QString &)> then)>;

    explicit ExportWindow(QWidget *parent = nullptr);
    ~ExportWindow() override;

    const ExportFieldList &exportFields() const { return m_list; }
    void setPictureAsker(PictureAsker asker) { m_askPicture = std::move(asker); }
    BatchProgressWindow *progressWindow() const { return m_progress.get(); }
    /// The search of the songs list the export was started from: the window then offers to
    /// write only the songs that search shows (ticked), or all songs.
    void setSearch(const QString &filter);

    QListWidget *allFieldsList() const { return m_all; }
    QListWidget *exportList() const { return m_export; }
    /// The kind of the highlighted export entry's picture.
    QString pictureKind() const;

Q_SIGNALS:
    void exportFinished(melodex::BatchRun::State state);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void addFields();
    void removeFields();
    void shiftUp();
    void shiftDown();
    void askPicture();
    void runExport();

private:
    void fillExportList(const QList<int> &selected, int current);
    void showPictureKind();

    ExportFieldList m_list;
    PictureAsker m_askPicture;

    std::unique_ptr<BatchProgressWindow> m_progress;

    QListWidget *m_all;
    QListWidget *m_export;
    QLabel *m_pictureKind;
    QCheckBox *m_header;
    QCheckBox *m_safe;
    QCheckBox *m_onlyShown;
    QString m_search;
};

} // namespace melodex
