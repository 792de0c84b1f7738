// Real file dialogs for the dialog service, and the translation of the program's filter texts.
#include "ui/filedialogservice.h"

#include <QFileDialog>
#include <QStringList>

namespace melodex {

QString FileDialogService::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toLower() != pattern)
                patterns << pattern.toLower();
        }
        out << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return out.join(QStringLiteral(";;"));
}

QString FileDialogService::defaultSuffix(const QString &filter)
{
    const QString first = filter.section(u'|', 1, 1).section(u';', 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = first.mid(2);
    return suffix.contains(u'*') || suffix.contains(u'?') ? QString() : suffix;
}

QString FileDialogService::ask(bool save, const QString &caption, const QString &directory,
                               const QString &filter)
{
    QFileDialog dialog(m_parent, caption, directory, qtFilter(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogService::getOpenFileName(const QString &caption, const QString &directory,
                                           const QString &filter)
{
    return ask(false, caption, directory, filter);
}

QString FileDialogService::getExistingDirectory(const QString &caption, const QString &directory)
{
    QFileDialog dialog(m_parent, caption, directory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogService::getSaveFileName(const QString &caption, const QString &directory,
                                           const QString &filter)
{
    return ask(true, caption, directory, filter);
}

} // namespace melodex
