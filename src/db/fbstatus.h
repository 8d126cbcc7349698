#pragma once
// Internal: status handling for calls into the Firebird client library.
#include <firebird/Interface.h>

#include <QString>

namespace db::detail {

// One status object per call sequence; check() turns an error into db::Error
// with the server's message text.
class Status {
public:
    Status();
    ~Status();
    Firebird::CheckStatusWrapper* operator&() { return &m_wrapper; }
    Firebird::CheckStatusWrapper* get() { return &m_wrapper; }
    bool failed() const;
    void check(const QString& sql = QString());
    [[noreturn]] void raise(const QString& sql = QString());
    QString text() const;

private:
    Firebird::IStatus* m_status;
    Firebird::CheckStatusWrapper m_wrapper;
};

}  // namespace db::detail
