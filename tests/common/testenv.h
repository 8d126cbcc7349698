#pragma once
// Per-test environment: a fresh temporary data directory as KYNOVIA_HOME and
// a fresh database created by the program's own schema code.
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace db {
class Connection;
}

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString home() const { return m_dir.path(); }
    QString databasePath() const;
    // Creates the complete, current database at databasePath().
    void createDatabase();
    // A connection to databasePath(), opened.
    std::unique_ptr<db::Connection> connect() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
