// Reads a PDF back with poppler's pdftotext, for tests of printed output.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace melodex::test {

/// The text of `pdf` as `pdftotext -layout` lays it out; a null text when it cannot be read.
inline QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

/// Pages in `pdf` (by the form feeds pdftotext puts between them); -1 when it cannot be read.
inline int pdfPages(const QString &pdf)
{
    const QString text = pdfText(pdf);
    return text.isNull() ? -1 : int(text.count(u'\f'));
}

} // namespace melodex::test
