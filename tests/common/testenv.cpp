#include "testenv.h"

#include <QDir>

#include "data/schema.h"
#include "db/connection.h"

TestEnv::TestEnv() {
    m_oldHome = qgetenv("KYNOVIA_HOME");
    qputenv("KYNOVIA_HOME", m_dir.path().toLocal8Bit());
    qunsetenv("KYNOVIA_DATABASE");
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(QString::fromLocal8Bit(qgetenv("FIREBIRD_LOCK")));
    QDir(m_dir.path()).mkpath(QStringLiteral("db"));
}

TestEnv::~TestEnv() {
    if (m_oldHome.isNull()) qunsetenv("KYNOVIA_HOME");
    else qputenv("KYNOVIA_HOME", m_oldHome);
}

QString TestEnv::databasePath() const { return m_dir.path() + QStringLiteral("/db/kynoviadb"); }

void TestEnv::createDatabase() { schema::createDatabase(databasePath()); }

std::unique_ptr<db::Connection> TestEnv::connect() const {
    auto c = std::make_unique<db::Connection>();
    c->setDatabaseName(databasePath());
    c->open();
    return c;
}
