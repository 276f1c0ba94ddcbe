#include "DataEnvironment.h"
#include "VelaError.h"
#include <QFile>

namespace vela {

// ---------------------------------------------------------------- trace

namespace SqlTrace {

static QString tracePath()
{
    return qEnvironmentVariable("VELA_SQL_TRACE");
}

bool enabled()
{
    return !tracePath().isEmpty();
}

void write(const QString &statement)
{
    const QString path = tracePath();
    if (path.isEmpty())
        return;
    QString line = statement;
    line.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write(line.toUtf8());
        f.write("\n");
    }
}

} // namespace SqlTrace

// ---------------------------------------------------------------- connection

void Connection::setConnectionString(const QString &text)
{
    if (text == m_text)
        return;
    close();
    m_text = text;
}

void Connection::open()
{
    if (m_backend)
        return;
    if (m_text.trimmed().isEmpty())
        throw VelaError(QStringLiteral("رشته اتصال به پایگاه داده خالی است."), ErrConnection);
    m_backend = Backend::create(ConnectionString::parse(m_text));
}

void Connection::close()
{
    m_backend.reset();
}

Backend &Connection::backend()
{
    open();
    return *m_backend;
}

// ---------------------------------------------------------------- recordset

void Recordset::Open(const QString &sql)
{
    m_open = false;
    m_row = 0;
    m_recordsAffected = 0;
    if (m_table.use_count() > 1) // the previous rows were handed to a grid: start a new table
        m_table = std::make_shared<ResultTable>();
    m_recordsAffected = m_env->execute(sql, *m_table);
    m_open = true;
}

void Recordset::Open(const PartitionedStatement &statement)
{
    m_open = false;
    m_row = 0;
    m_recordsAffected = 0;
    if (m_table.use_count() > 1)
        m_table = std::make_shared<ResultTable>();
    m_env->executePartitioned(statement, *m_table);
    m_open = true;
}

void Recordset::Close()
{
    m_open = false;
    m_row = 0;
    if (m_table.use_count() > 1)
        m_table = std::make_shared<ResultTable>();
    else
        m_table->clear();
}

int Recordset::column(const QString &name) const
{
    if (!m_open)
        throw VelaError(QStringLiteral("مجموعه رکورد «%1» باز نیست.").arg(m_name), ErrDatabase);
    const int c = m_table->columnIndex(name);
    if (c < 0)
        throw VelaError(QStringLiteral("ستون «%1» در نتیجه پرس و جو نیست.").arg(name), ErrDatabase);
    if (m_row < 0 || m_row >= m_table->rowCount())
        throw VelaError(QStringLiteral("رکورد جاری وجود ندارد."), ErrDatabase);
    return c;
}

QVariant Recordset::Field(const QString &name) const
{
    return m_table->value(m_row, column(name));
}

QString Recordset::FieldText(const QString &name) const
{
    return m_table->text(m_row, column(name));
}

bool Recordset::FieldIsNull(const QString &name) const
{
    return m_table->isNull(m_row, column(name));
}

std::shared_ptr<ResultTable> Recordset::takeTable()
{
    std::shared_ptr<ResultTable> t = std::move(m_table);
    m_table = std::make_shared<ResultTable>();
    m_open = false;
    m_row = 0;
    return t;
}

// ---------------------------------------------------------------- environment

DataEnvironment::DataEnvironment() = default;
DataEnvironment::~DataEnvironment() = default;

void DataEnvironment::reset(const QString &connectionString)
{
    for (auto &[name, rs] : m_recordsets)
        rs->Close();
    m_cn.close();
    m_cn.setConnectionString(connectionString);
}

Recordset &DataEnvironment::recordset(const QString &name)
{
    auto it = m_recordsets.find(name);
    if (it == m_recordsets.end())
        it = m_recordsets.emplace(name, std::make_unique<Recordset>(this, name)).first;
    return *it->second;
}

qint64 DataEnvironment::execute(const QString &sql, ResultTable &out)
{
    SqlTrace::write(sql);
    Backend &backend = m_cn.backend();
    backend.execute(sql, out);
    return backend.recordsAffected();
}

void DataEnvironment::executePartitioned(const PartitionedStatement &statement, ResultTable &out)
{
    SqlTrace::write(statement.text());
    m_cn.backend().executePartitioned(statement, out);
}

void DataEnvironment::beginTransaction()
{
    ResultTable none;
    execute(QStringLiteral("BEGIN TRANSACTION"), none);
}

void DataEnvironment::commitTransaction()
{
    ResultTable none;
    execute(QStringLiteral("COMMIT TRANSACTION"), none);
}

void DataEnvironment::rollbackTransaction() noexcept
{
    try {
        ResultTable none;
        execute(QStringLiteral("ROLLBACK TRANSACTION"), none);
    } catch (...) {
        m_cn.close();
    }
}

static QString traceText(const QString &s)
{
    QString q = s;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

qint32 DataEnvironment::spOrvoHasPermission(qint32 userId, qint32 formPermissionId)
{
    SqlTrace::write(
        QStringLiteral("CALL spOrvoHasPermission(%1, %2)").arg(userId).arg(formPermissionId));
    return m_cn.backend().hasPermission(userId, formPermissionId);
}

qint32 DataEnvironment::spOrvoInsertFormAction(qint32 eventId, const QString &formCode,
    qint32 formTypeId, const QString &description, qint32 userId, const QDateTime &eventDate,
    const QString &farsiEventDate, qint32 eventTime)
{
    // Concatenated, not arg()-chained: a text holding "%1" must reach the trace unchanged.
    const QStringList args {QString::number(eventId), traceText(formCode),
        QString::number(formTypeId), traceText(description), QString::number(userId),
        traceText(eventDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
        traceText(farsiEventDate), QString::number(eventTime)};
    SqlTrace::write(QStringLiteral("CALL spOrvoInsertFormAction(") + args.join(QStringLiteral(", "))
        + QLatin1Char(')'));
    return m_cn.backend().insertFormAction(
        eventId, formCode, formTypeId, description, userId, eventDate, farsiEventDate, eventTime);
}

} // namespace vela
