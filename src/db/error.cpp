#include "db/error.h"

namespace db {

Error::Error(const QString& message, const QString& sql, int sqlCode, long gdsCode)
    : std::runtime_error(message.toStdString()),
      m_message(message),
      m_sql(sql),
      m_sqlCode(sqlCode),
      m_gdsCode(gdsCode) {}

ConvertError::ConvertError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

}  // namespace db
