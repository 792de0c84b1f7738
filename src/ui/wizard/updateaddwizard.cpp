// The wizard's track editor: one scratch track added, changed or deleted.
#include "ui/wizard/updateaddwizard.h"

#include "app/globals.h"
#include "data/standardwarning.h"
#include "platform/store/keepvalues.h"
#include "services/messageservice.h"
#include "ui/layout/windowplacement.h"

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
// AW:Track holds two digits.
constexpr qint64 MostTrack = 99;

int field(const char *name)
{
    return AddWizardRecord::fileLayout().fieldIndex(QLatin1String(name));
}

// Whether the wizard has a track numbered `track` on `side`; the AW buffer stays as it is.
bool trackTaken(qint64 instance, const QString &side, qint64 track)
{
    const store::KeepValues keep(AW);
    AW.clear();
    AW.Instance = instance;
    AW.Side = side;
    AW.Track = track;
    return AddWizard.get(AddWizardRecord::KeyInstance) == 0;
}

FormSession::Settings sessionSettings(qint64 instance, bool withArtist)
{
    FormSession::Settings s;
    s.file = &AddWizard;
    s.autoNumberKey = AddWizardRecord::KeyInstance;
    s.uniqueKeys = {{AddWizardRecord::KeyInstance, QStringLiteral("Track Order")}};
    s.primes = [instance](FormSession &) {
        AW.clear();
        AW.Instance = instance;
    };
    s.historyName =
        withArtist ? QStringLiteral("UpdateAddWizard") : QStringLiteral("UpdateAddWizardNoArtist");
    s.fileName = QStringLiteral("AddWizard");
    return s;
}

} // namespace

UpdateAddWizard::UpdateAddWizard(int request, qint64 instance, bool withArtist, QWidget *parent)
    : QDialog(parent), m_request(request), m_instance(instance),
      m_session(sessionSettings(instance, withArtist))
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/labels.png")));
    setObjectName(withArtist ? QStringLiteral("UpdateAddWizard")
                             : QStringLiteral("UpdateAddWizardNoArtist"));
    auto *form = new QFormLayout;
    m_track = new QLineEdit(this);
    m_track->setValidator(new QIntValidator(0, 999, m_track));
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
    // Insert numbers and adds the track (message 35 after a read error, 25 after three failed
    // adds); delete asks and deletes through the record-change layer without a window.
    GLO.ActionRequest = m_request;
    if (!m_session.start())
        return false;
    m_openedTrack = m_session.value(field("AW:Track")).toLongLong();
    if (m_request == InsertRecord)
        setWindowTitle(QStringLiteral("Track Will Be Added  (New)"));
    else
        setWindowTitle(QStringLiteral("Track Will Be Changed  (%1)").arg(m_openedTrack));
    fill();
    return true;
}

void UpdateAddWizard::fill()
{
    m_track->setText(QString::number(m_session.value(field("AW:Track")).toLongLong()));
    if (m_artist)
        m_artist->setText(m_session.value(field("AW:Artist")).toString().trimmed());
    m_title->setText(m_session.value(field("AW:Title")).toString().trimmed());
    m_time->setText(formatTime(m_session.value(field("AW:Time")).toInt()));
}

bool UpdateAddWizard::take()
{
    bool isNumber = false;
    const qint64 track = m_track->text().trimmed().toLongLong(&isNumber);
    if (!isNumber || track < 1 || track > MostTrack) {
        StandardWarning(StandardMessage::RangeError, QStringLiteral("AW:Track"),
                        QStringLiteral("1 and %1").arg(MostTrack));
        m_track->setFocus();
        return false;
    }
    const std::optional<qint32> time = parseTime(m_time->text());
    if (!time) {
        say(QStringLiteral("Field Contents Error"),
            QStringLiteral("The time is to be typed as hours:minutes:seconds."));
        m_time->setFocus();
        return false;
    }
    m_session.setValue(field("AW:Track"), track);
    if (m_artist)
        m_session.setValue(field("AW:Artist"), m_artist->text());
    m_session.setValue(field("AW:Title"), m_title->text());
    m_session.setValue(field("AW:Time"), *time);
    return true;
}

void UpdateAddWizard::pressOk()
{
    if (m_closed || !take())
        return;
    // A changed track number that another track of the wizard has is refused here, as for a
    // new track, rather than as a failed update.
    const qint64 track = m_session.value(field("AW:Track")).toLongLong();
    if (m_request == ChangeRecord && track != m_openedTrack &&
        trackTaken(m_instance, m_session.value(field("AW:Side")).toString(), track)) {
        StandardWarning(StandardMessage::DuplicateKey, QStringLiteral("Track Order"));
        m_track->setFocus();
        return;
    }
    const FormSession::Completion completion = m_session.complete();
    if (!completion.closed) {
        // A track changed meanwhile elsewhere comes back as it is now.
        fill();
        if (completion.focusField >= 0)
            m_track->setFocus();
        return;
    }
    if (m_session.response() == RequestCompleted)
        accept();
    else
        QDialog::reject();
}

void UpdateAddWizard::pressCancel()
{
    reject();
}

void UpdateAddWizard::reject()
{
    QDialog::reject();
}

void UpdateAddWizard::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RestoreWindowPlacement(this, WindowStateIni, objectName());
}

void UpdateAddWizard::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        // However the window closes unconfirmed, the track it added goes again.
        if (result != QDialog::Accepted || m_session.response() != RequestCompleted)
            m_session.cancel();
        if (m_shown)
            SaveWindowPlacement(this, WindowStateIni, objectName());
        m_session.close();
        if (m_session.response() == RequestCompleted) {
            // Only a completed save counts as OK for Edit All Songs, and feeds the ditto key.
            g_result = QStringLiteral("OK");
            g_ditto = AW;
        }
    }
    QDialog::done(result);
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
