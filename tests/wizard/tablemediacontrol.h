// A CD device that answers commands from a table, for the reader's tests without a disc image.
#pragma once

#include "platform/cd/mediacontrol.h"

#include <QHash>
#include <QStringList>

namespace melodex::test {

/// Answers each command string from `answers` (an unknown command: code 261) and records every
/// command sent, in order.
class TableMediaControl : public cd::MediaControl
{
public:
    QHash<QString, cd::MciResult> answers;
    QStringList sent;
    std::optional<cd::DiscToc> toc;
    QString detail;

    cd::MciResult command(const QString &text) override
    {
        sent << text;
        const auto it = answers.constFind(text);
        return it != answers.constEnd() ? *it : cd::MciResult{cd::MciUnrecognizedCommand, {}};
    }
    std::optional<cd::DiscToc> tableOfContents() const override { return toc; }
    QString failureDetail() const override { return detail; }

    /// A closed, ready drive holding a disc with tracks of `lengths` ("mm:ss:ff") and the whole
    /// disc `discLength` long.
    void insertDisc(const QStringList &lengths, const QString &discLength)
    {
        answer(QStringLiteral("open cdaudio shareable"), QStringLiteral("1"));
        answer(QStringLiteral("status cdaudio ready"), QStringLiteral("true"));
        answer(QStringLiteral("status cdaudio mode"), QStringLiteral("stopped"));
        answer(QStringLiteral("close cdaudio"), QString());
        answer(QStringLiteral("status cdaudio number of tracks"), QString::number(lengths.size()));
        answer(QStringLiteral("status cdaudio length"), discLength);
        for (qsizetype i = 0; i < lengths.size(); ++i)
            answer(QStringLiteral("status cdaudio length track %1").arg(i + 1), lengths[i]);
    }
    void answer(const QString &command, const QString &reply) { answers[command] = {0, reply}; }
    void fail(const QString &command, int code) { answers[command] = {code, {}}; }
};

} // namespace melodex::test
