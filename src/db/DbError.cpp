#include "db/DbError.h"

namespace orv::db {

namespace {
QString compose(const QString &message, const QString &fileName)
{
    if (fileName.isEmpty())
        return message;
    return message + QStringLiteral(" (") + fileName + QStringLiteral(")");
}
} // namespace

DbError::DbError(const QString &message, const QString &fileName, int code)
    : std::runtime_error(compose(message, fileName).toStdString()),
      m_message(message), m_fileName(fileName), m_code(code)
{
}

QString DbError::text() const
{
    return compose(m_message, m_fileName);
}

} // namespace orv::db
