// The file dialog service of the running program: real file dialogs.
#pragma once

#include "services/dialogservice.h"

class QWidget;

namespace melodex {

/// Shows each request as a modal QFileDialog.
class FileDialogService : public DialogService
{
public:
    /// `parent` centres the dialogs over a window; nullptr makes them application-modal.
    explicit FileDialogService(QWidget *parent = nullptr) : m_parent(parent) {}

    QString getOpenFileName(const QString &caption, const QString &directory,
                            const QString &filter) override;
    QString getSaveFileName(const QString &caption, const QString &directory,
                            const QString &filter) override;
    QString getExistingDirectory(const QString &caption, const QString &directory) override;

    /// "Import Files|*.CSV|All Files|*.*" as Qt writes it: "Import Files (*.CSV *.csv);;All
    /// Files (*)". Patterns are widened to lower case because Linux names are case-sensitive
    /// and "*.CSV" alone would hide "songs.csv".
    static QString qtFilter(const QString &filter);
    /// The extension of the first filter's pattern ("CSV"), added to a name typed without one.
    static QString defaultSuffix(const QString &filter);

private:
    QString ask(bool save, const QString &caption, const QString &directory, const QString &filter);

    QWidget *m_parent;
};

} // namespace melodex
