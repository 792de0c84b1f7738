// The logic of record forms: numbering, deleting, field acceptance, completion and closing.
#include "browse/formsession.h"

#include "app/dateentry.h"
#include "app/globals.h"
#include "browse/waitcursor.h"
#include "data/recordchanges.h"
#include "data/standardwarning.h"
#include "platform/picture/format.h"
#include "platform/store/errors.h"
#include "services/messageservice.h"

#include <QHash>
#include <QRegularExpression>

#include <limits>

namespace melodex {

namespace {

constexpr int Attempts = 3;

// The last record each form saved, by form, for the ditto key; kept for the program's run.
QHash<QString, std::vector<QVariant>> &history()
{
    static QHash<QString, std::vector<QVariant>> saved;
    return saved;
}

picture::Value pictureValue(const QVariant &v, bool text)
{
    if (text)
        return v.toString();
    return v.toLongLong();
}

} // namespace

FormSession::FormSession(Settings settings) : m_settings(std::move(settings))
{
    for (const FormField &f : m_settings.fields)
        m_pictures.push_back(picture::withDateFormat(f.picture, GLO.DateFormat));
}

FormSession::~FormSession()
{
    if (m_started)
        close();
}

void FormSession::clearHistory()
{
    history().clear();
}

QVariant FormSession::value(int field) const
{
    return field >= 0 && size_t(field) < m_values.size() ? m_values[size_t(field)] : QVariant();
}

QVariant FormSession::value(const QString &name) const
{
    return value(m_settings.file->layout().fieldIndex(name));
}

void FormSession::setValue(int field, const QVariant &value)
{
    if (field >= 0 && size_t(field) < m_values.size())
        m_values[size_t(field)] = value;
}

int FormSession::recordField(int index) const
{
    return m_settings.file->layout().fieldIndex(m_settings.fields[size_t(index)].name);
}

QString FormSession::picture(int index) const
{
    return m_pictures[size_t(index)];
}

QString FormSession::displayText(int index) const
{
    const int f = recordField(index);
    if (f < 0)
        return {};
    if (isDateField(index))
        return dates::show(value(f).toLongLong());
    const bool text = m_settings.file->layout().fields[size_t(f)].isText();
    return picture::format(pictureValue(value(f), text), m_pictures[size_t(index)]);
}

std::vector<QVariant> FormSession::normalized(const std::vector<QVariant> &values) const
{
    // Compared as the file stores them: texts without trailing blanks and cut to size.
    const auto &fields = m_settings.file->layout().fields;
    std::vector<QVariant> out;
    for (size_t i = 0; i < values.size() && i < fields.size(); ++i) {
        if (fields[i].isText()) {
            QString t = values[i].toString().left(fields[i].size);
            while (t.endsWith(u' '))
                t.chop(1);
            out.emplace_back(t);
        } else {
            out.emplace_back(values[i].toLongLong());
        }
    }
    return out;
}

// --- entry --------------------------------------------------------------------------------------

bool FormSession::start()
{
    store::KeyedFile &file = *m_settings.file;
    m_started = true;
    m_request = m_entryRequest = GLO.ActionRequest;
    if (m_request == SelectRecord && m_settings.supportsCopy) {
        m_request = InsertRecord;
        m_copy = true;
    }
    m_response = RequestCancelled;
    GLO.ActionRequest = 0;
    GLO.ActionResponse = 0;

    std::vector<store::KeyedFile *> files{&file};
    files.insert(files.end(), m_settings.lookups.begin(), m_settings.lookups.end());
    if (!m_uses.open(files)) {
        close();
        return false;
    }

    m_start = file.buffer().values();
    m_values = m_start;
    switch (m_request) {
    case InsertRecord:
        if (m_settings.primes)
            m_settings.primes(*this);
        m_values = file.buffer().values();
        if (m_settings.autoNumberKey >= 0 && !numberNewRecord()) {
            close();
            return false;
        }
        return true;
    case ChangeRecord:
        m_position = file.position();
        RIRemember(file);
        return true;
    case DeleteRecord:
        m_position = file.position();
        runDelete();
        close();
        return false;
    default:
        close();
        return false;
    }
}

bool FormSession::numberNewRecord()
{
    store::KeyedFile &file = *m_settings.file;
    const auto &key = file.layout().keys[size_t(m_settings.autoNumberKey)];
    const int field = key.fields.back();
    const std::vector<QVariant> primed = file.buffer().values();
    const QString name = m_settings.fileName.isEmpty() ? file.label() : m_settings.fileName;
    // Records that share the leading components; the highest of them is read backwards from the
    // largest number the field can hold.
    const std::vector<int> leading(key.fields.begin(), key.fields.end() - 1);
    std::vector<QVariant> range;
    for (int f : leading)
        range.push_back(file.storedValue(f));
    auto sameLeading = [&] {
        for (size_t i = 0; i < leading.size(); ++i)
            if (file.storedValue(leading[i]) != range[i])
                return false;
        return true;
    };
    const store::FieldDef &def = file.layout().fields[size_t(field)];
    const qint64 highest = def.type == store::FieldType::Decimal
                               ? def.decimalLimit()
                               : qint64(std::numeric_limits<qint32>::max());
    for (;;) {
        for (int attempt = 0; attempt < Attempts; ++attempt) {
            if (leading.empty()) {
                file.set(m_settings.autoNumberKey);
            } else {
                file.buffer().setValues(primed);
                file.buffer().setValue(field, highest);
                file.setFromBuffer(m_settings.autoNumberKey);
            }
            const int rc = file.previous();
            qint64 number = 1;
            if (rc == 0) {
                if (sameLeading())
                    number = file.buffer().value(field).toLongLong() + 1;
            } else if (rc != store::NoRecErr) {
                StandardWarning(StandardMessage::RecordRetrievalError, name);
                return false;
            }
            file.buffer().setValues(primed);
            file.buffer().setValue(field, number);
            if (file.add() == 0) {
                m_values = file.buffer().values();
                m_position = file.position();
                m_placeholder = true;
                return true;
            }
        }
        if (StandardWarning(StandardMessage::AutoNumberError) != MessageRequest::Retry)
            return false;
    }
}

void FormSession::runDelete()
{
    if (!confirmDelete(m_settings.deleteCascade ? m_settings.deleteCascade(*this)
                                                : DeleteCascade{}))
        return;
    for (;;) {
        int rc;
        {
            WaitCursor wait;
            putBack();
            rc = RIDelete(*m_settings.file);
        }
        if (rc == RIDone) {
            m_response = RequestCompleted;
            return;
        }
        if (StandardWarning(StandardMessage::RetryDelete) != MessageRequest::Yes)
            return;
    }
}

void FormSession::putBack()
{
    store::KeyedFile &file = *m_settings.file;
    file.buffer().setValues(m_values);
    if (!m_position.isNull())
        file.setCurrent(m_position);
}

// --- fields
// -----------------------------------------------------------------------------------------

FormSession::Accept FormSession::acceptField(int index, const QString &text)
{
    const int f = recordField(index);
    if (f < 0)
        return Accept::Ok;
    if (isDateField(index)) {
        // A date that cannot be read stays as typed, and the message shows the form expected.
        const std::optional<qint32> day = dates::read(text);
        if (!day) {
            dates::refuse(text);
            return Accept::Invalid;
        }
        setValue(f, qint64(*day));
    } else if (const auto read =
                   picture::deformat(text, picture::Picture::parse(m_pictures[size_t(index)]))) {
        if (const auto *s = std::get_if<QString>(&*read))
            setValue(f, *s);
        else
            setValue(f, std::get<qint64>(*read));
    } else {
        return Accept::Rejected;
    }
    const auto &validate = m_settings.fields[size_t(index)].validate;
    if (validate && !validate(*this))
        return Accept::Invalid;
    return Accept::Ok;
}

bool FormSession::isDateField(int index) const
{
    return picture::isDatePicture(m_settings.fields[size_t(index)].picture);
}

int FormSession::acceptAll(const QStringList &texts)
{
    for (int i = 0; i < int(m_settings.fields.size()); ++i)
        if (acceptField(i, i < texts.size() ? texts[i] : QString()) != Accept::Ok)
            return i;
    return -1;
}

std::optional<QVariant> FormSession::ditto(int index) const
{
    if (index != m_settings.dittoField || index < 0)
        return std::nullopt;
    const auto it = history().constFind(m_settings.historyName);
    const int f = recordField(index);
    if (it == history().cend() || f < 0 || size_t(f) >= it->size())
        return std::nullopt;
    return (*it)[size_t(f)];
}

// --- completion ---------------------------------------------------------------------------------

FormSession::Completion FormSession::complete()
{
    history().insert(m_settings.historyName, m_values);
    if (m_request == InsertRecord)
        return completeInsert();
    if (m_request == ChangeRecord)
        return completeChange();
    return {true, -1};
}

QString FormSession::keyCaption(const store::FileLayout &layout, int key, const QString &name)
{
    // A name such as "LAB:KeyLabelDescription" is the program's; the user reads the fields.
    if (!name.contains(u':') || key < 0 || key >= int(layout.keys.size()))
        return name;
    static const QRegularExpression wordStart(
        QStringLiteral("(?<=[a-z0-9])(?=[A-Z])|(?<=[A-Z])(?=[A-Z][a-z])"));
    QStringList fields;
    for (const int f : layout.keys[size_t(key)].fields)
        if (f >= 0 && f < int(layout.fields.size()))
            fields << layout.fields[size_t(f)].name.split(wordStart).join(u' ');
    if (fields.isEmpty())
        return name;
    return name + QStringLiteral(" (") + fields.join(QStringLiteral(", ")) + u')';
}

FormSession::Completion FormSession::completeInsert()
{
    store::KeyedFile &file = *m_settings.file;
    int rc;
    {
        WaitCursor wait;
        putBack();
        rc = m_placeholder ? file.put() : file.add();
    }
    if (rc == 0) {
        m_values = file.buffer().values();
        m_position = file.position();
        m_response = RequestCompleted;
        return {true, -1};
    }
    if (rc == store::DupKeyErr) {
        // A failed add leaves some other record current, which duplicate() would not count;
        // the key the add itself found clashing is counted as well.
        const int clashing = file.duplicateKey();
        // Only the first: two keys over the same fields (an album's title and artist) would
        // otherwise report one clash twice.
        for (const UniqueKeyName &k : m_settings.uniqueKeys) {
            if (k.key == clashing || file.duplicate(k.key)) {
                StandardWarning(StandardMessage::DuplicateKey,
                                keyCaption(file.layout(), k.key, k.name));
                return {false, 0};
            }
        }
    }
    StandardWarning(StandardMessage::RecordInsertError);
    return {false, -1};
}

FormSession::Completion FormSession::completeChange()
{
    store::KeyedFile &file = *m_settings.file;
    if (normalized(m_values) == normalized(m_start)) {
        m_response = RequestCompleted;
        return {true, -1};
    }
    for (;;) {
        int rc;
        {
            WaitCursor wait;
            putBack();
            rc = m_settings.change ? m_settings.change() : RIUpdate(file, true);
        }
        if (rc == RIDone) {
            m_values = file.buffer().values();
            m_position = file.position();
            m_response = RequestCompleted;
            return {true, -1};
        }
        if (rc == RIFailed) {
            const int answer = StandardWarning(StandardMessage::RetryUpdate);
            if (answer == MessageRequest::Yes)
                continue;
            if (answer == MessageRequest::No) {
                m_response = RequestCancelled;
                return {true, -1};
            }
            return {false, -1};
        }
        // Changed by someone else: the file's buffer holds their version, which the form now
        // shows and edits; the ditto key brings back what the user had typed.
        m_values = file.buffer().values();
        m_start = m_values;
        m_position = file.position();
        return {false, 0};
    }
}

// --- closing -------------------------------------------------------------------------------------

void FormSession::close()
{
    if (m_closed)
        return;
    m_closed = true;
    store::KeyedFile &file = *m_settings.file;
    if (file.isOpen()) {
        if (m_response != RequestCompleted && m_placeholder) {
            // Only the record this form added: without a placeholder the file's current record
            // belongs to whoever read it last, and must not be deleted.
            file.setCurrent(m_position);
            file.deleteRecord();
        } else if (m_response == RequestCompleted && m_request != DeleteRecord &&
                   !m_position.isNull()) {
            file.loadValues(m_position.id, m_position.version, m_values);
        }
    }
    m_uses.clear();
    GLO.ActionResponse = m_response;
}

} // namespace melodex
