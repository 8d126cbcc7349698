#include "db/error.h"

namespace db {

Error::Error(const QString& message, const QString& sql, int sqlCode, long gdsCode)
    : std::runtime_error(message.toStdString()),
      m_message(message),
      m_sql(sql),
      m_sqlCode(sqlCode),
      m_gdsCode(gdsCode) {}

ConnectionLost::ConnectionLost(const QString& database, const QString& reason, long gdsCode)
    : Error(text(database, reason), QString(), 0, gdsCode) {}

QString ConnectionLost::text(const QString& database, const QString& reason) {
    return QStringLiteral("Die Verbindung zur Datenbank \"%1\" ist unterbrochen.\r\r"
                          "Was Sie eingegeben haben, bleibt im Fenster erhalten. Sobald die Datenbank wieder "
                          "erreichbar ist, verbindet sich Kynovia bei Ihrer nächsten Aktion neu (oder mit "
                          "\"Erneut verbinden\" in der Statusleiste); speichern Sie dann erneut.\r\r"
                          "Meldung des Datenbankservers:\r%2")
        .arg(database, reason);
}

ConvertError::ConvertError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

}  // namespace db
