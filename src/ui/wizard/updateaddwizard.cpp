// The wizard's track editor: one scratch track added, changed or deleted.
#include "ui/wizard/updateaddwizard.h"

#include "app/globals.h"
#include "browse/deleteconfirmation.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"
#include "wizard/albumwizard.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <optional>

namespace melodex {

namespace {

QString g_result = QStringLiteral("Cancel");
std::optional<AddWizardRecord> g_ditto;

constexpr int TextSize = 30;

} // namespace

UpdateAddWizard::UpdateAddWizard(int request, qint64 instance, bool withArtist, QWidget *parent)
    : QDialog(parent), m_request(request), m_instance(instance), m_withArtist(withArtist),
      m_use(AddWizard)
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/labels.png")));
    setObjectName(withArtist ? QStringLiteral("UpdateAddWizard")
                             : QStringLiteral("UpdateAddWizardNoArtist"));
    auto *form = new QFormLayout;
    m_track = new QLineEdit(this);
    m_track->setValidator(new QIntValidator(1, 999, m_track));
    m_track->setMaxLength(3);
    form->addRow(QStringLiteral("Track:"), m_track);
    if (withArtist) {
        m_artist = new QLineEdit(this);
        m_artist->setMaxLength(TextSize);
        form->addRow(QStringLiteral("&Artist:"), m_artist);
    }
    m_title = new QLineEdit(this);
    m_title->setMaxLength(TextSize);
    form->addRow(QStringLiteral("&Title:"), m_title);
    m_time = new QLineEdit(this);
    m_time->setPlaceholderText(QStringLiteral("h:mm:ss"));
    form->addRow(QStringLiteral("T&ime:"), m_time);
    const QFontMetrics fm(font());
    for (QLineEdit *e : {m_artist, m_title})
        if (e)
            e->setMinimumWidth(fm.averageCharWidth() * 40);
    for (QLineEdit *e : {m_track, m_artist, m_title, m_time})
        if (e)
            e->installEventFilter(this);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    ok->setToolTip(QStringLiteral("Exit and save changes"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setToolTip(QStringLiteral("Exit and do not save changes"));
    connect(buttons, &QDialogButtonBox::accepted, this, &UpdateAddWizard::pressOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &UpdateAddWizard::pressCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString UpdateAddWizard::resultText()
{
    return g_result;
}

void UpdateAddWizard::clearDitto()
{
    g_ditto.reset();
}

std::optional<qint32> UpdateAddWizard::parseTime(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    static const QRegularExpression form(QStringLiteral("^(?:(\\d+):)?(\\d+):(\\d\\d)$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 hours = m.captured(1).toLongLong();
    const qint64 minutes = m.captured(2).toLongLong();
    const qint64 seconds = m.captured(3).toLongLong();
    if (seconds > 59 || (m.hasCaptured(1) && !m.captured(1).isEmpty() && minutes > 59))
        return std::nullopt;
    const qint64 secondsIn = hours * 3600 + minutes * 60 + seconds;
    if (secondsIn == 0)
        return 0; // no time, as a blank field
    const qint64 total = secondsIn * 100 + 1;
    if (total > 8640000)
        return std::nullopt;
    return qint32(total);
}

QString UpdateAddWizard::formatTime(qint32 time)
{
    if (time <= 0)
        return {};
    const qint32 s = (time - 1) / 100;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void UpdateAddWizard::say(const QString &caption, const QString &text)
{
    MessageRequest r;
    r.caption = caption;
    r.text = text;
    r.icon = MessageRequest::Warning;
    MessageService::instance().show(r);
}

bool UpdateAddWizard::start()
{
    g_result = QStringLiteral("Cancel");
    GLO.ActionResponse = RequestCancelled;
    if (!m_use.ok())
        return false;
    if (m_request == InsertRecord) {
        // The track is there at once under the next number, so the number is the wizard's.
        int rc = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            AW.clear();
            AW.Instance = m_instance;
            AW.Track = AlbumWizard::nextTrack(m_instance);
            rc = AddWizard.add();
            if (rc == 0)
                break;
        }
        if (rc != 0) {
            say(QStringLiteral("Error"),
                QStringLiteral("Unable to add a track to AddWizard: ") + store::errorText(rc));
            return false;
        }
        setWindowTitle(QStringLiteral("Track Will Be Added  (New)"));
    } else if (m_request == DeleteRecord) {
        if (AddWizard.get(AddWizardRecord::KeyInstance) != 0)
            return false;
        if (!confirmDelete({}))
            return false;
        const int rc = AddWizard.deleteRecord();
        if (rc != 0) {
            say(QStringLiteral("Error"), store::errorText(rc));
            return false;
        }
        GLO.ActionResponse = RequestCompleted;
        return false;
    } else {
        if (AddWizard.get(AddWizardRecord::KeyInstance) != 0)
            return false;
        setWindowTitle(QStringLiteral("Track Will Be Changed  (%1)").arg(AW.Track));
    }
    m_opened = AW;
    m_position = AddWizard.position();
    fill();
    return true;
}

void UpdateAddWizard::fill()
{
    m_track->setText(QString::number(AW.Track));
    if (m_artist)
        m_artist->setText(AW.Artist.trimmed());
    m_title->setText(AW.Title.trimmed());
    m_time->setText(formatTime(AW.Time));
}

bool UpdateAddWizard::take(AddWizardRecord &r)
{
    r = m_opened;
    r.Track = m_track->text().toLongLong();
    if (r.Track <= 0) {
        say(QStringLiteral("Field Contents Error"), QStringLiteral("A track needs a number."));
        m_track->setFocus();
        return false;
    }
    if (m_artist)
        r.Artist = m_artist->text();
    r.Title = m_title->text();
    const std::optional<qint32> time = parseTime(m_time->text());
    if (!time) {
        say(QStringLiteral("Field Contents Error"),
            QStringLiteral("The time is to be typed as hours:minutes:seconds."));
        m_time->setFocus();
        return false;
    }
    r.Time = *time;
    return true;
}

void UpdateAddWizard::pressOk()
{
    AddWizardRecord r;
    if (!take(r))
        return;
    g_result = QStringLiteral("OK");
    const bool changed = r.values() != m_opened.values();
    if (changed || m_request == InsertRecord) {
        AW = r;
        AddWizard.setCurrent(m_position);
        const int rc = AddWizard.put();
        if (rc == store::DupKeyErr) {
            say(QStringLiteral("Duplicate Key Error"),
                QStringLiteral("This entry would duplicate the key Track Order."));
            m_track->setFocus();
            return;
        }
        if (rc != 0) {
            say(QStringLiteral("Error"),
                QStringLiteral("Unable to write the track: ") + store::errorText(rc));
            return;
        }
    }
    g_ditto = r;
    m_done = true;
    accept();
}

void UpdateAddWizard::pressCancel()
{
    reject();
}

void UpdateAddWizard::reject()
{
    // However the window closes unconfirmed, the track it added goes again.
    if (m_request == InsertRecord && !m_done && AddWizard.reget(m_position) == 0)
        AddWizard.deleteRecord();
    m_done = true;
    QDialog::reject();
}

bool UpdateAddWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && g_ditto) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier &&
            (key->key() == Qt::Key_Apostrophe || key->key() == Qt::Key_QuoteLeft)) {
            if (watched == m_track)
                m_track->setText(QString::number(g_ditto->Track));
            else if (watched == m_artist)
                m_artist->setText(g_ditto->Artist.trimmed());
            else if (watched == m_title)
                m_title->setText(g_ditto->Title.trimmed());
            else if (watched == m_time)
                m_time->setText(formatTime(g_ditto->Time));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void UpdateAddWizard::run(QWidget *caller, int request, qint64 instance, bool withArtist,
                          FormDone then)
{
    auto form = std::make_unique<UpdateAddWizard>(request, instance, withArtist, caller);
    openForm(caller, std::move(form), std::move(then));
}

} // namespace melodex
